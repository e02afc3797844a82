korvel_add_test(NAME test_cli_archives SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_archives.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_archives korvel-cli zip32 unzip32)
# Neither linked nor loaded at run time: no Qt library in korvel-cli.
korvel_add_test(NAME test_cli_no_qt SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_no_qt.cpp LIBS GTest::gtest_main)
add_dependencies(test_cli_no_qt korvel-cli zip32 unzip32 mpegdll)
