korvel_add_test(NAME test_code_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_code_page.cpp LIBS korvel_core
                GTest::gtest_main)
korvel_add_test(NAME test_ansi_sauce SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ansi_sauce.cpp LIBS korvel_core
                GTest::gtest_main)
