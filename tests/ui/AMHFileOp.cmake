korvel_add_test(NAME test_amh_file_op SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_amh_file_op.cpp
                LIBS korvel_filemanager_ui Qt6::Test GUI)
set_target_properties(test_amh_file_op PROPERTIES AUTOMOC ON)
