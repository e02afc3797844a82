# Runs lame, mutagen, eyeD3, kid3-cli and id3v2 for every tagger case: slow on a busy machine.
korvel_add_test(NAME test_cli_mp3 TIMEOUT 1200 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_mp3.cpp LIBS korvel_core GTest::gtest_main)
target_include_directories(test_cli_mp3 PRIVATE ${CMAKE_SOURCE_DIR}/tests/core)
add_dependencies(test_cli_mp3 korvel-cli)
