korvel_add_test(NAME test_file_manager_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_file_manager_page.cpp
                LIBS korvel_app korvel_filemanager_ui Qt6::Test GUI)
set_target_properties(test_file_manager_page PROPERTIES AUTOMOC ON)
