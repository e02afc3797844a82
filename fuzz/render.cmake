korvel_add_fuzzer(NAME fuzz_ansi_sauce SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_ansi_sauce.cpp LIBS korvel_core)
korvel_add_fuzzer(NAME fuzz_psf_font SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_psf_font.cpp LIBS korvel_core)
