korvel_add_test(NAME test_mounted_volumes SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mounted_volumes.cpp
                LIBS korvel_core GTest::gtest_main)
