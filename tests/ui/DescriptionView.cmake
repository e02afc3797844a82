korvel_add_test(NAME test_description_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_description_view.cpp
                LIBS korvel_description_ui Qt6::Test GUI)
set_target_properties(test_description_view PROPERTIES AUTOMOC ON)
