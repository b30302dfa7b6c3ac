# The compiler every fuzzer project is built with (clang, for libFuzzer) and
# the compiler launcher they use when there is one.
find_program(ZSP_FUZZ_CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
find_program(ZSP_CCACHE ccache)
set(ZSP_FUZZ_LAUNCHER)
if(ZSP_CCACHE)
    set(ZSP_FUZZ_LAUNCHER -DLAUNCHER=${ZSP_CCACHE})
endif()
