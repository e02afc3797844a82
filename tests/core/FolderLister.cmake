korvel_add_test(NAME test_folder_lister SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_folder_lister.cpp
                LIBS korvel_core GTest::gtest_main)
