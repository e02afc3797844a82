# korvel-shots carries the screenshot and benchmark hooks; the shipped korvel none of them.
add_test(NAME test_shots_tool COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test_shots_tool.sh ${KORVEL_BIN_DIR})
set_tests_properties(test_shots_tool PROPERTIES TIMEOUT 120)
