# One ctest test per GoogleTest suite of a test program, found when ctest
# starts (the program runs under the emulator, which a build need not have).
# Each run of a program under Wine costs a good part of a second: a test per
# suite keeps a failure's name and output to its suite at a fraction of the
# cost of a test per case.
#
# korvexer_gtest_suites(TARGET FILTER <gtest filter> LABELS <labels>
#                       TIMEOUT <seconds> ENVIRONMENT <var=value;...>)
set(_korvexer_gtest_suites_script ${CMAKE_CURRENT_LIST_DIR}/gtest_suites_list.cmake)

function(korvexer_gtest_suites target)
    cmake_parse_arguments(arg "" "FILTER;LABELS;TIMEOUT" "ENVIRONMENT" ${ARGN})
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
    file(GENERATE OUTPUT ${include_file} CONTENT
"set(program [==[$<TARGET_FILE:${target}>]==])
set(emulator [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==])
set(filter [==[${arg_FILTER}]==])
set(labels [==[${arg_LABELS}]==])
set(timeout [==[${arg_TIMEOUT}]==])
set(environment [==[${arg_ENVIRONMENT}]==])
set(working_directory [==[${CMAKE_CURRENT_BINARY_DIR}]==])
set(list_file [==[${list_file}]==])
set(include_file [==[${include_file}]==])
set(program_name [==[${target}]==])
set(cmake_command [==[${CMAKE_COMMAND}]==])
include([==[${_korvexer_gtest_suites_script}]==])
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
