# The archive reader (libarchive behind it) on arbitrary bytes: detection, listing, the
# description read and a bounded extraction.
korvel_add_fuzzer(NAME fuzz_archive_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_archive_reader.cpp
                  LIBS korvel_core)
