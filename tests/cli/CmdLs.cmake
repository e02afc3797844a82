korvel_add_test(NAME test_cli_ls SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_ls.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_ls korvel-cli)
