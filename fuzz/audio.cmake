# The audio formats: ID3v1 block, ID3v2 tag (parse and rebuild), MPEG stream analysis.
foreach(target fuzz_id3v1 fuzz_id3v2 fuzz_mpegaudio)
  korvel_add_fuzzer(NAME ${target} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp LIBS korvel_core)
endforeach()
