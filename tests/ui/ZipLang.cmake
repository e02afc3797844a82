korvel_add_test(NAME test_lang_form SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_lang_form.cpp LIBS korvel_lang_ui Qt6::Test GUI)
set_target_properties(test_lang_form PROPERTIES AUTOMOC ON)
