# cmake -DSOURCE=<fuzzer project> -DBINARY=<build folder> -DCOMPILER=<clang++>
#       -DTARGET=<fuzzer> -DSEED_VARIABLE=<variable> [-DGENERATOR=<generator>]
#       [-DLAUNCHER=<ccache>] -P BuildJuceFuzzer.cmake
# Configures a fuzzer project that builds on JUCE once, brings it up to date
# and has the fuzzer write its seeds (started with SEED_VARIABLE set to the
# seeds folder, it writes them and ends).
if(NOT EXISTS ${BINARY}/CMakeCache.txt)
    set(extraArgs)
    if(GENERATOR)
        list(APPEND extraArgs -G ${GENERATOR})
    endif()
    if(LAUNCHER)
        list(APPEND extraArgs -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} -DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER})
    endif()
    string(REGEX REPLACE "\\+\\+" "" cCompiler "${COMPILER}")
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} ${extraArgs}
                            -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_C_COMPILER=${cCompiler}
                            -DCMAKE_BUILD_TYPE=RelWithDebInfo
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        file(REMOVE ${BINARY}/CMakeCache.txt)
        message(FATAL_ERROR "configuring ${TARGET} failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building ${TARGET} failed")
endif()
file(MAKE_DIRECTORY ${BINARY}/corpus ${BINARY}/seeds)
# HOME: a player's settings file stays in the build.
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${BINARY} ${SEED_VARIABLE}=${BINARY}/seeds
                        ${BINARY}/${TARGET}_artefacts/RelWithDebInfo/${TARGET}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "writing the seeds of ${TARGET} failed")
endif()
