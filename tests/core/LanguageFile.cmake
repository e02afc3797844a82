korvel_add_test(NAME test_language_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_language_file.cpp
                LIBS korvel_core GTest::gtest_main)
