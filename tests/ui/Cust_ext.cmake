korvel_add_test(NAME test_cust_ext SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cust_ext.cpp LIBS korvel_description_ui Qt6::Test GUI)
set_target_properties(test_cust_ext PROPERTIES AUTOMOC ON)
