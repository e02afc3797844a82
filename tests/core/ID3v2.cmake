korvel_add_test(NAME test_id3v2 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_id3v2.cpp LIBS korvel_core GTest::gtest_main)
