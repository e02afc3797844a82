korvel_add_test(NAME test_cli_formats SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_formats.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_formats korvel-cli zip32 unzip32)
