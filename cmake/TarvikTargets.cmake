# Shared settings for the project's own targets (never applied to GoogleTest).

add_library(tarvik_warnings INTERFACE)
target_compile_options(tarvik_warnings INTERFACE -Wall -Wextra -Werror)

# Common Controls 6, as in the shell processes that the library lives in.
set(TARVIK_MANIFEST_RC ${CMAKE_SOURCE_DIR}/cmake/comctl6.rc)

# A Windows program of ours: warnings, static runtime, Common Controls 6 manifest.
function(tarvik_executable name)
    add_executable(${name} ${ARGN} ${TARVIK_MANIFEST_RC})
    target_link_libraries(${name} PRIVATE tarvik_warnings)
    target_link_options(${name} PRIVATE -static)
endfunction()

# What ships loads on Windows XP SP2 (i686) and Windows XP x64 / Server 2003 x64 SP2
# (x86_64): tarvik.exe, tarvikctl.exe and the controller library they link.
# - The headers offer nothing newer: _WIN32_WINNT and WINVER 0x0501 (XP) or 0x0502
#   (Server 2003, the base of XP x64), comctl32 and shell32 as of XP (_WIN32_IE 0x0600),
#   psapi's own exports rather than Windows 7's K32* names (PSAPI_VERSION 1).
# - GCC's win32 thread model instead of the posix one: with the posix model every
#   static C++ program links winpthread, which imports GetTickCount64 (Vista). The
#   posix drivers stay the project's compilers, since GoogleTest and the test programs
#   need std::mutex and std::thread, which GCC 12's win32 model lacks; a launcher
#   (cmake/win32-thread-model) swaps in the -win32 driver for these targets, for the
#   compile (ahead of ccache) and the link alike. A launcher rather than a second
#   build tree: one configure, and tests and programs come from the same sources.
# - The loader's version fields (subsystem and OS) at 5.01 or 5.02.
# scripts/check-xp-imports checks the result in both archives and setups.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TARVIK_XP_WINNT 0x0502)
    set(TARVIK_XP_MINOR 2)
else()
    set(TARVIK_XP_WINNT 0x0501)
    set(TARVIK_XP_MINOR 1)
endif()
set(TARVIK_WIN32_THREADS ${CMAKE_SOURCE_DIR}/cmake/win32-thread-model)
set(TARVIK_WIN32_COMPILE ${TARVIK_WIN32_THREADS})
if(TARVIK_CCACHE)
    list(APPEND TARVIK_WIN32_COMPILE ${TARVIK_CCACHE})
endif()
function(tarvik_xp_floor target)
    target_compile_definitions(${target} PRIVATE _WIN32_WINNT=${TARVIK_XP_WINNT}
                               WINVER=${TARVIK_XP_WINNT} _WIN32_IE=0x0600)
    set_target_properties(${target} PROPERTIES
        C_COMPILER_LAUNCHER "${TARVIK_WIN32_COMPILE}"
        CXX_COMPILER_LAUNCHER "${TARVIK_WIN32_COMPILE}"
        C_LINKER_LAUNCHER ${TARVIK_WIN32_THREADS}
        CXX_LINKER_LAUNCHER ${TARVIK_WIN32_THREADS})
    target_link_options(${target} PRIVATE
        -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,${TARVIK_XP_MINOR}
        -Wl,--major-os-version,5 -Wl,--minor-os-version,${TARVIK_XP_MINOR})
endfunction()
