# Language files: any bytes read as a language file give one valid UTF-8 text per key.
korvel_add_fuzzer(NAME fuzz_language_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_language_file.cpp
                  LIBS korvel_core)
