# The decoder library through its C interface: pcm output compared with mpg123, error codes,
# and real playback into a PulseAudio null sink.
foreach(t test_mpegdll test_mpegdll_playback)
  korvel_add_test(NAME ${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp
                  LIBS mpegdll korvel_engine_headers GTest::gtest_main)
  target_compile_definitions(${t} PRIVATE MPEGDLL_PROTOTYPES)
endforeach()
