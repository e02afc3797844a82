korvel_add_test(NAME test_help_page GUI
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_help_page.cpp
                LIBS korvel_platform Qt6::Test)
set_target_properties(test_help_page PROPERTIES AUTOMOC ON)
