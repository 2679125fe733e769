# Read by ctest, through the include file that ilvane_tests writes for each test executable: asks the executable
# for its suites (--ilvane_list_suites, tests/SuiteLabels.h) and adds one test per suite, named after it, which
# runs the suite's cases in one process; a suite marked isolated gets one test per case ("Suite.Case") instead.
# Each test carries its suite's labels ("threads", "isolated") and the executable's name as labels.
if(NOT EXISTS "${ILVANE_TEST_EXECUTABLE}")
    add_test("${ILVANE_TEST_TARGET}_NOT_BUILT" "${ILVANE_TEST_TARGET}_NOT_BUILT")
    return()
endif()
execute_process(COMMAND "${ILVANE_TEST_EXECUTABLE}" --ilvane_list_suites
    WORKING_DIRECTORY "${ILVANE_TEST_WORKING_DIRECTORY}"
    OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
    # Fails with the executable's own message.
    message(WARNING "${ILVANE_TEST_TARGET}: listing the suites failed (${result}): ${errors}")
    add_test("${ILVANE_TEST_TARGET}_DISCOVERY_FAILED" "${ILVANE_TEST_EXECUTABLE}" --ilvane_list_suites)
    return()
endif()

string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([^\t]+)\t([^\t]*)\t(.+)$")
        continue()
    endif()
    set(suite "${CMAKE_MATCH_1}")
    string(REPLACE "," ";" labels "${CMAKE_MATCH_2}")
    string(REPLACE "," ";" cases "${CMAKE_MATCH_3}")
    list(APPEND labels "${ILVANE_TEST_TARGET}")
    list(FIND labels "isolated" isolated) # (ctest reads this file under old policies: no IN_LIST)
    if(isolated GREATER_EQUAL 0)
        set(tests)
        foreach(case IN LISTS cases)
            add_test("${suite}.${case}" "${ILVANE_TEST_EXECUTABLE}" "--gtest_filter=${suite}.${case}")
            list(APPEND tests "${suite}.${case}")
        endforeach()
    else()
        add_test("${suite}" "${ILVANE_TEST_EXECUTABLE}" "--gtest_filter=${suite}.*")
        set(tests "${suite}")
    endif()
    set_tests_properties(${tests} PROPERTIES LABELS "${labels}" TIMEOUT 600
        WORKING_DIRECTORY "${ILVANE_TEST_WORKING_DIRECTORY}")
endforeach()
