# The POSIX helpers the engines and the core share: whole reads and writes through signals,
# whole-file replacement.
korvel_add_test(NAME test_posix_io SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_posix_io.cpp
                LIBS korvel_posix GTest::gtest_main)
