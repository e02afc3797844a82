korvel_add_test(NAME test_custom_list SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_custom_list.cpp
                LIBS korvel_core GTest::gtest_main)
