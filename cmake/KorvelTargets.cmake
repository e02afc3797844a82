# Per-target settings shared by every target of the project.

# korvel_setup_target(target): warnings and, when asked for, the sanitizers.
function(korvel_setup_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KORVEL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# korvel_add_test(NAME name SOURCES ... [LIBS ...] [GUI]): one test executable run by CTest.
# GUI tests run with the offscreen platform, so no display is needed. Every test sees the shared
# helpers of tests/support by their bare names.
function(korvel_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  korvel_setup_target(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_compile_definitions(${T_NAME} PRIVATE KORVEL_BIN_DIR="${KORVEL_BIN_DIR}"
                                               KORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env "")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(KORVEL_SANITIZE)
    # Every finding fails the test: leaks too, and UBSan stops at the first report (the code is
    # also built with -fno-sanitize-recover=all). The leak suppressions name only Qt and system
    # libraries.
    list(APPEND env "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:check_initialization_order=1"
         "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
         "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizer/lsan.supp")
  endif()
  if(env)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 300)
  endif()
endfunction()
