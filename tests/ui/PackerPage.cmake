korvel_add_test(NAME test_packer_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_packer_page.cpp LIBS korvel_app korvel_archive_ui Qt6::Test GUI)
add_dependencies(test_packer_page zip32 unzip32)
set_target_properties(test_packer_page PROPERTIES AUTOMOC ON)
set_property(TEST test_packer_page APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
