korvel_add_test(NAME test_cli_descriptions SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_descriptions.cpp
                LIBS GTest::gtest_main)
add_dependencies(test_cli_descriptions korvel-cli zip32 unzip32)
