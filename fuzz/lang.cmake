# Language files: any bytes read as a language file give one valid UTF-8 text per key.
file(GLOB KORVEL_FUZZ_LANG_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/core/lang/*.cpp)
korvel_add_fuzzer(NAME fuzz_language_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_language_file.cpp
                  ${KORVEL_FUZZ_LANG_SOURCES} ${CMAKE_SOURCE_DIR}/src/core/ProfileFile.cpp)
target_include_directories(fuzz_language_file PRIVATE ${CMAKE_SOURCE_DIR}/src)
