korvel_add_test(NAME test_description_save SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_description_save.cpp
                LIBS korvel_core GTest::gtest_main)
