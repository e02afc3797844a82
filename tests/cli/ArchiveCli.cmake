korvel_add_test(NAME test_cli_archives SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_archives.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_archives korvel-cli zip32 unzip32)
