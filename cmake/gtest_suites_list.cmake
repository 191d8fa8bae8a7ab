# Run by ctest (see gtest_suites.cmake): lists the program's suites again when
# the program, its declaration or this script is newer than the list, and
# declares one test per suite.
if(NOT EXISTS "${list_file}" OR "${program}" IS_NEWER_THAN "${list_file}"
   OR "${include_file}" IS_NEWER_THAN "${list_file}" OR "${CMAKE_CURRENT_LIST_FILE}" IS_NEWER_THAN "${list_file}")
    execute_process(COMMAND ${emulator} "${program}" --gtest_list_tests "--gtest_filter=${filter}"
                    WORKING_DIRECTORY "${working_directory}" TIMEOUT 120
                    OUTPUT_VARIABLE listing ERROR_VARIABLE listing RESULT_VARIABLE result)
    set(runner "")
    foreach(part IN LISTS emulator)
        string(APPEND runner " [==[${part}]==]")
    endforeach()
    # The cases the filter leaves out stay out of each suite's run.
    set(excluded "")
    if(filter MATCHES "^-")
        set(excluded "${filter}")
    endif()
    set(declarations "")
    string(REPLACE "\n" ";" lines "${listing}")
    foreach(line IN LISTS lines)
        # A suite's line starts in the first column and ends with its dot (a
        # typed suite's type follows after "  # "); anything else the program
        # or Wine prints is not a suite.
        if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( +#.*)?$")
            set(suite "${CMAKE_MATCH_1}")
            string(APPEND declarations
                   "add_test([==[${suite}]==]${runner} [==[${program}]==] [==[--gtest_filter=${suite}.*${excluded}]==])\n"
                   "set_tests_properties([==[${suite}]==] PROPERTIES LABELS [==[${labels}]==] TIMEOUT ${timeout}"
                   " ENVIRONMENT [==[${environment}]==] WORKING_DIRECTORY [==[${working_directory}]==])\n")
        endif()
    endforeach()
    if(result EQUAL 0 AND NOT declarations STREQUAL "")
        file(WRITE "${list_file}" "${declarations}")
    else()
        # A test that fails with the reason, rather than a program that
        # quietly has no tests; and no list, so the next run lists again.
        file(REMOVE "${list_file}")
        string(SUBSTRING "${listing}" 0 400 said)
        string(REGEX REPLACE "[\r\n]+" " | " said "${said}")
        string(REPLACE "]==]" "] ==]" said "${said}")
        set(name "${program_name}.ListingTheTests")
        file(WRITE "${list_file}.failed"
             "add_test([==[${name}]==] [==[${cmake_command}]==] -E echo [==[cannot list the tests (exit ${result}): ${said}]==])\n"
             "set_tests_properties([==[${name}]==] PROPERTIES LABELS [==[${labels}]==] FAIL_REGULAR_EXPRESSION cannot)\n")
        include("${list_file}.failed")
        return()
    endif()
endif()
include("${list_file}")
