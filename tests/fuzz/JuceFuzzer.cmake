# zsp_add_juce_fuzzer(TEST <name> TARGET <fuzzer> CORPUS <name in tests/fuzz>
#                     SEED_VARIABLE <variable> [ARGS <libFuzzer options>...])
# The tests of a libFuzzer target that builds on JUCE, from the fuzz/ project
# beside the calling CMakeLists.txt: <name>Build configures and builds it with
# clang in a build of its own on first use and writes its seeds; <name> runs it
# for 8 seconds with a fixed seed from the tree's corpus and its own (a folder
# per fuzzer: one project may build several); and, once
# findings are kept in tests/fuzz/regressions/<corpus>, <name>.Regressions
# replays them.
include(${CMAKE_CURRENT_LIST_DIR}/FuzzTools.cmake)

function(zsp_add_juce_fuzzer)
    cmake_parse_arguments(PARSE_ARGV 0 FUZZ "" "TEST;TARGET;CORPUS;SEED_VARIABLE" "ARGS")
    if(NOT ZSP_FUZZ_CLANGXX)
        return()
    endif()
    set(fuzzBuild ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
    set(program ${fuzzBuild}/${FUZZ_TARGET}_artefacts/RelWithDebInfo/${FUZZ_TARGET})
    set(fuzzTree ${PROJECT_SOURCE_DIR}/tests/fuzz)
    set(fixture ${FUZZ_TARGET}_built)
    add_test(NAME ${FUZZ_TEST}Build
             COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/fuzz -DBINARY=${fuzzBuild}
                     -DCOMPILER=${ZSP_FUZZ_CLANGXX} -DGENERATOR=${CMAKE_GENERATOR} ${ZSP_FUZZ_LAUNCHER}
                     -DTARGET=${FUZZ_TARGET} -DSEED_VARIABLE=${FUZZ_SEED_VARIABLE} -DCORPORA=${FUZZ_TARGET}
                     -P ${fuzzTree}/BuildFuzzProject.cmake)
    set_tests_properties(${FUZZ_TEST}Build PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 1800 LABELS fuzz
                         RESOURCE_LOCK zsp_fuzz_build)
    add_test(NAME ${FUZZ_TEST}
             COMMAND ${program} -seed=1 -max_total_time=8 -print_final_stats=1 ${FUZZ_ARGS}
                     -dict=${fuzzTree}/dict/${FUZZ_CORPUS}.dict
                     ${fuzzBuild}/corpus/${FUZZ_TARGET} ${fuzzTree}/corpus/${FUZZ_CORPUS} ${fuzzBuild}/seeds)
    set_tests_properties(${FUZZ_TEST} PROPERTIES FIXTURES_REQUIRED ${fixture} TIMEOUT 180 LABELS fuzz
                         ENVIRONMENT "HOME=${fuzzBuild}")
    if(EXISTS ${fuzzTree}/regressions/${FUZZ_CORPUS})
        add_test(NAME ${FUZZ_TEST}.Regressions
                 COMMAND ${program} -runs=0 ${FUZZ_ARGS} ${fuzzTree}/regressions/${FUZZ_CORPUS})
        set_tests_properties(${FUZZ_TEST}.Regressions PROPERTIES FIXTURES_REQUIRED ${fixture} TIMEOUT 180
                             LABELS fuzz ENVIRONMENT "HOME=${fuzzBuild}")
    endif()
endfunction()
