# The audio page of the main window: tag editors, stream texts, saves, play and stop.
korvel_add_test(NAME test_audio_page GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_audio_page.cpp
                LIBS korvel_app korvel_audio_ui Qt6::Test)
set_target_properties(test_audio_page PROPERTIES AUTOMOC ON)
add_dependencies(test_audio_page mpegdll)
target_include_directories(test_audio_page PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../engines)
