korvel_add_test(NAME test_description_display SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_description_display.cpp
                LIBS korvel_app korvel_description_ui Qt6::Test GUI)
target_include_directories(test_description_display PRIVATE ${CMAKE_SOURCE_DIR}/tests/core)
add_dependencies(test_description_display zip32 unzip32)
set_target_properties(test_description_display PROPERTIES AUTOMOC ON)
set_property(TEST test_description_display APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
