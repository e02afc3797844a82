korvel_add_test(NAME test_file_operation SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_file_operation.cpp
                LIBS korvel_core GTest::gtest_main)
