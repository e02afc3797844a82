korvel_add_test(NAME test_catalogue_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_catalogue_window.cpp
                LIBS korvel_app korvel_catalog_ui Qt6::Test GUI)
add_dependencies(test_catalogue_window zip32 unzip32)
set_target_properties(test_catalogue_window PROPERTIES AUTOMOC ON)
set_property(TEST test_catalogue_window APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
