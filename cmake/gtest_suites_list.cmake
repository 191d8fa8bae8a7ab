# Run by ctest (see gtest_suites.cmake): lists the program's suites again when
# the program, its declaration or this script is newer than the list, and
# declares one test per suite.
if(NOT EXISTS "${list_file}" OR "${program}" IS_NEWER_THAN "${list_file}"
   OR "${include_file}" IS_NEWER_THAN "${list_file}" OR "${CMAKE_CURRENT_LIST_FILE}" IS_NEWER_THAN "${list_file}")
    execute_process(COMMAND ${emulator} "${program}" --gtest_list_tests "--gtest_filter=${filter}"
                    WORKING_DIRECTORY "${working_directory}" TIMEOUT 120
                    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    set(runner "")
    foreach(part IN LISTS emulator)
        string(APPEND runner " [==[${part}]==]")
    endforeach()
    set(declarations "")
    if(NOT result EQUAL 0)
        # A test that fails with the reason, rather than a program that quietly has no tests.
        set(name "${program_name}.ListingTheTests")
        string(APPEND declarations
               "add_test([==[${name}]==] [==[${cmake_command}]==] -E echo [==[cannot list the tests: ${result}]==])\n"
               "set_tests_properties([==[${name}]==] PROPERTIES LABELS [==[${labels}]==] FAIL_REGULAR_EXPRESSION cannot)\n")
    endif()
    string(REPLACE "\n" ";" lines "${listing}")
    foreach(line IN LISTS lines)
        # A suite's line starts in the first column and ends with its dot (a
        # typed suite's type follows after "  # "); anything else the program
        # or Wine prints is not a suite.
        if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( +#.*)?$")
            set(suite "${CMAKE_MATCH_1}")
            string(APPEND declarations
                   "add_test([==[${suite}]==]${runner} [==[${program}]==] [==[--gtest_filter=${suite}.*]==])\n"
                   "set_tests_properties([==[${suite}]==] PROPERTIES LABELS [==[${labels}]==] TIMEOUT ${timeout}"
                   " ENVIRONMENT [==[${environment}]==] WORKING_DIRECTORY [==[${working_directory}]==])\n")
        endif()
    endforeach()
    file(WRITE "${list_file}" "${declarations}")
endif()
include("${list_file}")
