korvel_add_test(NAME test_main_tray GUI
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_main_tray.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeTrayIcon.h
                LIBS korvel_app Qt6::Test)
set_target_properties(test_main_tray PROPERTIES AUTOMOC ON)
target_include_directories(test_main_tray PRIVATE ${CMAKE_CURRENT_LIST_DIR})
