korvel_add_test(NAME test_cli_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_render.cpp
                LIBS Qt6::Gui GTest::gtest_main)
target_include_directories(test_cli_render PRIVATE ${CMAKE_SOURCE_DIR}/tests/core)
add_dependencies(test_cli_render korvel-cli zip32 unzip32)
