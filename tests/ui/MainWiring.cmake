korvel_add_test(NAME test_main_wiring GUI
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_wiring.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeTrayIcon.h
                LIBS korvel_app Qt6::Test)
set_target_properties(test_main_wiring PROPERTIES AUTOMOC ON)
target_include_directories(test_main_wiring PRIVATE ${CMAKE_CURRENT_LIST_DIR})
