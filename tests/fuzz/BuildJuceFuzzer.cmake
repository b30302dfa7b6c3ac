# cmake -DSOURCE=<this folder> -DBINARY=<build folder> -DCOMPILER=<clang++>
#       [-DGENERATOR=<generator>] [-DLAUNCHER=<ccache>] -P BuildFuzzer.cmake
# Configures the fuzzer project once, brings it up to date and writes its seeds.
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
        message(FATAL_ERROR "configuring the processor fuzzer failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building the processor fuzzer failed")
endif()
file(MAKE_DIRECTORY ${BINARY}/corpus ${BINARY}/seeds)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${BINARY} ZSP_WRITE_STATE_SEEDS=${BINARY}/seeds
                        ${BINARY}/fuzzProcessorState_artefacts/RelWithDebInfo/fuzzProcessorState
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "writing the processor fuzzer's seeds failed")
endif()
