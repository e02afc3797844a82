korvel_add_test(NAME test_korvel_program GUI
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_korvel_program.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeTrayIcon.h
                LIBS korvel_app Qt6::Test)
set_target_properties(test_korvel_program PROPERTIES AUTOMOC ON)
target_include_directories(test_korvel_program PRIVATE ${CMAKE_CURRENT_LIST_DIR})
set_property(TEST test_korvel_program APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
