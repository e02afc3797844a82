korvel_add_test(NAME test_tag_edits SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tag_edits.cpp LIBS korvel_core GTest::gtest_main)
