korvel_add_test(NAME test_catalog SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_catalog_text.cpp
                ${CMAKE_CURRENT_LIST_DIR}/test_catalog_run.cpp LIBS korvel_core GTest::gtest_main)
