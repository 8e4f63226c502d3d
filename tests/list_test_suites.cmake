# Writes a CTest file that runs each GoogleTest suite of a test program as one test. Starting a
# sanitized test program costs about a tenth of a second of processor time, so one process per
# suite instead of one per test case saves minutes of `make test`, while CTest can still run
# suites side by side and name the one that failed.
# Run at build time: cmake -D TEST_EXECUTABLE=PROGRAM -D TEST_FILE=OUT [-D TEST_ENVIRONMENT=V=X]
#                          -P list_test_suites.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                        ${TEST_EXECUTABLE} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TEST_EXECUTABLE} --gtest_list_tests failed: ${status}")
endif()
# A parameter printed in the listing may hold semicolons, which would split CMake's list.
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(content "")
foreach(line IN LISTS lines)
    # Suites start their line and end with a full stop; test cases are indented below them.
    if(line MATCHES "^([^ #][^ ]*)\\.")
        set(suite "${CMAKE_MATCH_1}")
        string(APPEND content
               "add_test([=[${suite}]=] [=[${TEST_EXECUTABLE}]=] [=[--gtest_filter=${suite}.*]=])\n")
        if(TEST_ENVIRONMENT)
            string(APPEND content "set_tests_properties([=[${suite}]=] PROPERTIES ENVIRONMENT "
                                  "[=[${TEST_ENVIRONMENT}]=])\n")
        endif()
    endif()
endforeach()
file(WRITE "${TEST_FILE}" "${content}")
