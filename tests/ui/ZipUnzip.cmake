korvel_add_test(NAME test_zip_unzip SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip_unzip.cpp LIBS korvel_app korvel_archive_ui Qt6::Test GUI)
add_dependencies(test_zip_unzip zip32 unzip32)
set_target_properties(test_zip_unzip PROPERTIES AUTOMOC ON)
set_property(TEST test_zip_unzip APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
