# The unzip engine's listing, print and extraction requests on arbitrary bytes, through the same
# shared library the program loads (instrumented in the fuzz build, see fuzz/CMakeLists.txt).
korvel_add_fuzzer(NAME fuzz_unzip32 SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unzip32.cpp LIBS unzip32 korvel_posix)
