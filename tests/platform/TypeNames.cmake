# The file lists' type names read from shared-mime-info without Qt, against QMimeDatabase.
korvel_add_test(NAME test_type_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_type_names.cpp
                LIBS korvel_core Qt6::Core GTest::gtest)
