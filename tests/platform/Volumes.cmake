korvel_add_test(NAME test_volumes
                SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_volumes.cpp
                LIBS korvel_platform Qt6::Test)
set_target_properties(test_volumes PROPERTIES AUTOMOC ON)
