korvel_add_test(NAME test_listing_line SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_listing_line.cpp
                LIBS korvel_core GTest::gtest_main)
