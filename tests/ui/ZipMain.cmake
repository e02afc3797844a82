korvel_add_test(NAME test_zip_main SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip_main.cpp LIBS korvel_app Qt6::Test GUI)
set_target_properties(test_zip_main PROPERTIES AUTOMOC ON)
