korvel_add_test(NAME test_cp437 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cp437.cpp LIBS korvel_core GTest::gtest_main)
