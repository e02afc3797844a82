# TMPEGPlayer: playback through the real decoder library, and the library checks against
# stand-in libraries built here (one per missing entry point, one whose init fails).
set(mpegplay_stub_dir ${CMAKE_BINARY_DIR}/tests/mpegdll-stubs)
set(mpegplay_entries init deinit Open Pause Restart Stop SetPriority SetOutputDevice Play Close GetFrequency
    GetBitrate GetLayer GetPlayerMode GetCurrentPos GetLength ResetPlayerMode Seek LastError)
set(mpegplay_stubs "")
set(i 1)
foreach(entry ${mpegplay_entries})
  list(APPEND mpegplay_stubs "without_${entry}:OMIT=${i}")
  math(EXPR i "${i} + 1")
endforeach()
list(APPEND mpegplay_stubs "init_fails:INIT_RESULT=0,INIT_ERROR=1")
set(mpegplay_stub_targets "")
foreach(stub ${mpegplay_stubs})
  string(REPLACE ":" ";" parts "${stub}")
  string(REPLACE "," ";" parts "${parts}")
  list(POP_FRONT parts name)
  add_library(mpegdll_stub_${name} SHARED ${CMAKE_CURRENT_LIST_DIR}/mpegdll_stub.c)
  target_compile_definitions(mpegdll_stub_${name} PRIVATE ${parts})
  set_target_properties(mpegdll_stub_${name} PROPERTIES OUTPUT_NAME mpegdll C_VISIBILITY_PRESET hidden
                        LIBRARY_OUTPUT_DIRECTORY ${mpegplay_stub_dir}/${name})
  list(APPEND mpegplay_stub_targets mpegdll_stub_${name})
endforeach()

korvel_add_test(NAME test_mpegplay GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mpegplay.cpp
                LIBS korvel_audio_ui Qt6::Test)
set_target_properties(test_mpegplay PROPERTIES AUTOMOC ON)
add_dependencies(test_mpegplay mpegdll ${mpegplay_stub_targets})
target_compile_definitions(test_mpegplay PRIVATE KORVEL_MPEGDLL_STUBS="${mpegplay_stub_dir}")
target_include_directories(test_mpegplay PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../engines)
