korvel_add_test(NAME test_description_lookup SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_description_lookup.cpp
                LIBS korvel_core GTest::gtest_main)
