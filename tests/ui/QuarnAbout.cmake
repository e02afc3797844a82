korvel_add_test(NAME test_about_box GUI
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_about_box.cpp
                LIBS korvel_app Qt6::Test)
set_target_properties(test_about_box PROPERTIES AUTOMOC ON)
