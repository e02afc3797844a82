korvel_add_test(NAME test_language_apply SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_language_apply.cpp
                LIBS korvel_lang_ui Qt6::Test GUI)
set_target_properties(test_language_apply PROPERTIES AUTOMOC ON)
