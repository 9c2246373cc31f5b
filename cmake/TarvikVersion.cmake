# The project's one version number (project(... VERSION)) in what ships.

set(TARVIK_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

# tarvik_version_resource(<target> <description>): a version resource for a
# shipped program or DLL, so that Windows' file properties show the version.
function(tarvik_version_resource target description)
    get_target_property(type ${target} TYPE)
    get_target_property(output_name ${target} OUTPUT_NAME)
    if(NOT output_name)
        set(output_name ${target})
    endif()
    if(type STREQUAL "SHARED_LIBRARY")
        set(TARVIK_FILE_TYPE VFT_DLL)
        set(TARVIK_ORIGINAL_FILENAME ${output_name}${CMAKE_SHARED_LIBRARY_SUFFIX})
    else()
        set(TARVIK_FILE_TYPE VFT_APP)
        set(TARVIK_ORIGINAL_FILENAME ${output_name}${CMAKE_EXECUTABLE_SUFFIX})
    endif()
    set(TARVIK_FILE_DESCRIPTION ${description})
    set(TARVIK_INTERNAL_NAME ${output_name})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${TARVIK_VERSION_RC_IN} ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
