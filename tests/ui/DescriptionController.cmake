korvel_add_test(NAME test_description_controller SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_description_controller.cpp
                LIBS korvel_app korvel_description_ui Qt6::Test GUI)
add_dependencies(test_description_controller zip32 unzip32)
set_target_properties(test_description_controller PROPERTIES AUTOMOC ON)
set_property(TEST test_description_controller APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
korvel_add_test(NAME test_zip_opt SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip_opt.cpp LIBS korvel_archive_ui Qt6::Test GUI)
add_dependencies(test_zip_opt zip32 unzip32)
set_target_properties(test_zip_opt PROPERTIES AUTOMOC ON)
set_property(TEST test_zip_opt APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
