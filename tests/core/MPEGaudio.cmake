korvel_add_test(NAME test_mpegaudio SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mpegaudio.cpp LIBS korvel_core GTest::gtest_main)
