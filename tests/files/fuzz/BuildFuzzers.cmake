# cmake -DSOURCE=<this folder> -DBINARY=<build folder> -DCOMPILER=<clang++>
#       [-DGENERATOR=<generator>] -P BuildFuzzers.cmake
# Configures the fuzzer project once and brings it up to date.
if(NOT EXISTS ${BINARY}/CMakeCache.txt)
    set(generatorArgs)
    if(GENERATOR)
        set(generatorArgs -G ${GENERATOR})
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} ${generatorArgs}
                            -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_BUILD_TYPE=RelWithDebInfo
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        file(REMOVE ${BINARY}/CMakeCache.txt)
        message(FATAL_ERROR "configuring the fuzzers failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building the fuzzers failed")
endif()
foreach(kind WaveFile EmbeddedSound SamplePath InstrumentLoad InstrumentPlay)
    file(MAKE_DIRECTORY ${BINARY}/corpus/${kind})
endforeach()
