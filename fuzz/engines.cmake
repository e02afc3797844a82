# The unzip engine's listing and print requests on arbitrary bytes.
add_executable(fuzz_unzip32 ${CMAKE_CURRENT_LIST_DIR}/fuzz_unzip32.cpp ${CMAKE_SOURCE_DIR}/engines/unzip32/unzip32.cpp
                            ${CMAKE_SOURCE_DIR}/engines/unzip32/extract.cpp ${CMAKE_SOURCE_DIR}/engines/unzip32/central_dir.cpp ${CMAKE_SOURCE_DIR}/engines/common/wildmatch.cpp
                            ${CMAKE_SOURCE_DIR}/engines/common/ziptime.cpp)
target_include_directories(fuzz_unzip32 PRIVATE ${CMAKE_SOURCE_DIR}/engines/common ${CMAKE_SOURCE_DIR}/engines/unzip32)
target_link_libraries(fuzz_unzip32 PRIVATE korvel_engine_headers PkgConfig::LIBZIP z)
target_compile_options(fuzz_unzip32 PRIVATE -fsanitize=fuzzer,address,undefined -g)
target_link_options(fuzz_unzip32 PRIVATE -fsanitize=fuzzer,address,undefined)
