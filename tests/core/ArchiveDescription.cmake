korvel_add_test(NAME test_archive_description SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_archive_description.cpp
                LIBS korvel_core GTest::gtest_main)
