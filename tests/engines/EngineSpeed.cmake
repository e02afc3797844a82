korvel_add_test(NAME test_unzip32_cache SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_cache.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_zip32_fast SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip32_fast.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
