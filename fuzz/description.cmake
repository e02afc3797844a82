korvel_add_fuzzer(NAME fuzz_description_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_description_text.cpp
                  LIBS korvel_core)
