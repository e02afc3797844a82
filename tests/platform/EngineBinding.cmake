# Stand-in zip engines that answer other maker/version values, for the library check.
set(KORVEL_FAKE_ZIP_DIR ${CMAKE_BINARY_DIR}/tests/fakezip)
foreach(fake trailing_blank third_component other_maker no_query)
  add_library(fakezip_${fake} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_zip32.c)
  set_target_properties(fakezip_${fake} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${KORVEL_FAKE_ZIP_DIR})
endforeach()
target_compile_definitions(fakezip_trailing_blank PRIVATE COMPANY="Info-ZIP\ " VERSION="2.3")
target_compile_definitions(fakezip_third_component PRIVATE COMPANY="Info-ZIP" VERSION="2.3.1")
target_compile_definitions(fakezip_other_maker PRIVATE COMPANY="Other" VERSION="2.3")
target_compile_definitions(fakezip_no_query PRIVATE NO_QUERY)

korvel_add_test(NAME test_engine_binding SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_engine_binding.cpp
                LIBS korvel_platform GTest::gtest)
target_compile_definitions(test_engine_binding PRIVATE KORVEL_FAKE_ZIP_DIR="${KORVEL_FAKE_ZIP_DIR}")
add_dependencies(test_engine_binding zip32 unzip32 fakezip_trailing_blank fakezip_third_component
                 fakezip_other_maker fakezip_no_query)
# The engines are not beside the test program: they are found along the library search path.
set_property(TEST test_engine_binding APPEND PROPERTY ENVIRONMENT "LD_LIBRARY_PATH=${KORVEL_BIN_DIR}")
