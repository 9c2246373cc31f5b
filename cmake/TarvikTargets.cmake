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
