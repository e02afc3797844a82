korvel_add_test(NAME test_mfile_explorer SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mfile_explorer.cpp
                LIBS korvel_widgets Qt6::Test GUI)
set_target_properties(test_mfile_explorer PROPERTIES AUTOMOC ON)
