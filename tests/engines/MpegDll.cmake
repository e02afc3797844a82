# The decoder library through its C interface: pcm output compared with mpg123, error codes,
# and real playback into a PulseAudio null sink.
foreach(t test_mpegdll test_mpegdll_playback)
  korvel_add_test(NAME ${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp
                  LIBS mpegdll korvel_engine_headers GTest::gtest_main)
  target_compile_definitions(${t} PRIVATE MPEGDLL_PROTOTYPES)
endforeach()
if(KORVEL_SANITIZE)
  # libout123 loads its output drivers (ALSA, JACK, OSS, PulseAudio) as modules and unloads the
  # ones that cannot open; what they keep in their own globals then looks leaked. The
  # suppression (tests/sanitizer/lsan.supp) names libout123, which only the full unwinder sees
  # under the unloaded module's frames.
  set_property(TEST test_mpegdll test_mpegdll_playback APPEND PROPERTY ENVIRONMENT_MODIFICATION
               "ASAN_OPTIONS=string_append::fast_unwind_on_malloc=0")
endif()
