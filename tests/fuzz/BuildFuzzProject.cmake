# cmake -DSOURCE=<fuzzer project> -DBINARY=<build folder> -DCOMPILER=<clang++>
#       [-DGENERATOR=<generator>] [-DLAUNCHER=<ccache>] [-DCORPORA=<names>]
#       [-DTARGET=<fuzzer> -DSEED_VARIABLE=<variable>] -P BuildFuzzProject.cmake
# Configures a fuzzer project once and brings it up to date. CORPORA names
# the corpus folders to make in <build folder>/corpus; with TARGET, the
# fuzzer (started with SEED_VARIABLE set to the seeds folder, it writes its
# seeds and ends) writes its seeds into <build folder>/seeds.
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
        message(FATAL_ERROR "configuring the fuzzers of ${SOURCE} failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j2 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building the fuzzers of ${SOURCE} failed")
endif()
file(MAKE_DIRECTORY ${BINARY}/corpus)
foreach(name IN LISTS CORPORA)
    file(MAKE_DIRECTORY ${BINARY}/corpus/${name})
endforeach()
if(TARGET)
    file(MAKE_DIRECTORY ${BINARY}/seeds)
    # HOME: a player's settings file stays in the build.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${BINARY} ${SEED_VARIABLE}=${BINARY}/seeds
                            ${BINARY}/${TARGET}_artefacts/RelWithDebInfo/${TARGET}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "writing the seeds of ${TARGET} failed")
    endif()
endif()
