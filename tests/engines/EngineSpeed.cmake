korvel_add_test(NAME test_unzip32_cache SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_cache.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
