# korvel-cli play: run from a folder without the decoder library, as a user would.
korvel_add_test(NAME test_cli_play SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_play.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_play korvel-cli mpegdll)
target_include_directories(test_cli_play PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../engines)
