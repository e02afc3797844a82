# The unzip engine's listing, print and extraction requests on arbitrary bytes.
korvel_add_fuzzer(
  NAME fuzz_unzip32
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unzip32.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/unzip32.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/extract.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/central_dir.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/dir_cache.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/member_decode.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/decoder_libraries.cpp
          ${CMAKE_SOURCE_DIR}/engines/unzip32/libzip_loader.cpp
          ${CMAKE_SOURCE_DIR}/engines/common/wildmatch.cpp
          ${CMAKE_SOURCE_DIR}/engines/common/posix_io.cpp
          ${CMAKE_SOURCE_DIR}/engines/common/member_place.cpp
  LIBS korvel_engine_headers PkgConfig::LIBZIP z BZip2::BZip2 PkgConfig::LIBLZMA PkgConfig::LIBZSTD ${CMAKE_DL_LIBS})
target_include_directories(fuzz_unzip32 PRIVATE ${CMAKE_SOURCE_DIR}/engines/common ${CMAKE_SOURCE_DIR}/engines/unzip32)
