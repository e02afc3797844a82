korvel_add_test(NAME test_cli_catalog SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_catalog.cpp
                LIBS GTest::gtest_main TIMEOUT 600)
add_dependencies(test_cli_catalog korvel-cli zip32 unzip32)
