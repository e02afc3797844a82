korvel_add_test(NAME test_path_text
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_path_text.cpp
                LIBS korvel_platform Qt6::Test)
set_target_properties(test_path_text PROPERTIES AUTOMOC ON)
