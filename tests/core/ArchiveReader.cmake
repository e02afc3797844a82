korvel_add_test(NAME test_archive_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_archive_reader.cpp
                LIBS korvel_core GTest::gtest_main)
