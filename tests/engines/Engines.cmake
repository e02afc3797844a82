korvel_add_test(NAME test_unzip32_peers SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_peers.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_unzip32_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_options.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_zip32 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip32.cpp LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_unzip32_hostile SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_hostile.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_unzip32_foreign SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unzip32_foreign.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
korvel_add_test(NAME test_zip32_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_zip32_names.cpp
                LIBS unzip32 zip32 GTest::gtest_main)
