# cmake --install into a temporary prefix gives a program that runs from any folder.
add_test(NAME test_install COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test_install.sh ${CMAKE_BINARY_DIR})
set_tests_properties(test_install PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
