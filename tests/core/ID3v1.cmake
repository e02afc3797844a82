korvel_add_test(NAME test_id3v1 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_id3v1.cpp LIBS korvel_core GTest::gtest_main)
