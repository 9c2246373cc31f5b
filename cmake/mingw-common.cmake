# The -posix compilers: GoogleTest needs std::mutex, which the win32 thread model lacks.
set(CMAKE_C_COMPILER ${TARVIK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVIK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVIK_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${TARVIK_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVIK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# A compiler cache where the machine has one (scripts/lib/common.sh sets its base
# directory, so clones and worktrees of the same sources share hits).
find_program(TARVIK_CCACHE ccache)
if(TARVIK_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER ${TARVIK_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${TARVIK_CCACHE})
endif()
