# What ships: the release archive's install rules, the CMake package that
# find_package(TarvikToolBar) reads, and CPack's ZIP. The archive's binaries are
# stripped as they are installed and carry a GNU debug link to the debug files the
# build keeps in debug/ (scripts/package puts those beside the archives).

include(CMakePackageConfigHelpers)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TARVIK_PACKAGE_ARCH win64)
    set(dlltool_machine i386:x86-64)
else()
    set(TARVIK_PACKAGE_ARCH win32)
    set(dlltool_machine i386)
endif()
set(TARVIK_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${TARVIK_PACKAGE_ARCH})
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(debug_dir ${CMAKE_BINARY_DIR}/debug)
set(cmake_destination lib/cmake/TarvikToolBar)
set(def_file ${TARVIK_DEF_FILE})
set(msvc_implib ${CMAKE_BINARY_DIR}/lib/${TARVIK_DLL_BASENAME}.lib)
set(shipped_binaries ${TARVIK_DLL_BASENAME}.dll tarvikctl.exe tarvik.exe)

# Release builds of what ships carry DWARF for the debug files; -g changes no code.
foreach(target tarvik_objects TarvikToolBar tarvik_controller tarvikctl tarvik)
    target_compile_options(${target} PRIVATE -g)
endforeach()

set(package_files)
foreach(file IN LISTS shipped_binaries)
    string(REGEX REPLACE "\\.(dll|exe)$" "" target ${file})
    string(REPLACE ${TARVIK_DLL_BASENAME} TarvikToolBar target ${target})
    add_custom_command(OUTPUT ${debug_dir}/${file}.debug
        COMMAND ${CMAKE_COMMAND} -E make_directory ${debug_dir}
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
                ${debug_dir}/${file}.debug
        DEPENDS ${target}
        COMMENT "Keeping the debug information of ${file}"
        VERBATIM)
    list(APPEND package_files ${debug_dir}/${file}.debug)
endforeach()

# Microsoft's import library format, as its lib.exe writes it: on i686 each member
# maps the decorated C name (_installHook_EXPIE) to the undecorated export.
find_program(TARVIK_LLVM_DLLTOOL llvm-dlltool)
if(TARVIK_LLVM_DLLTOOL)
    add_custom_command(OUTPUT ${msvc_implib}
        COMMAND ${TARVIK_LLVM_DLLTOOL} -m ${dlltool_machine} -d ${def_file} -l ${msvc_implib}
        DEPENDS ${def_file}
        COMMENT "Making ${TARVIK_DLL_BASENAME}.lib for Microsoft's linker"
        VERBATIM)
    list(APPEND package_files ${msvc_implib})
else()
    message(STATUS "llvm-dlltool not found: no ${TARVIK_DLL_BASENAME}.lib, so no release archive")
endif()
add_custom_target(tarvik_package_files ALL DEPENDS ${package_files})

# The archive. The imported target's users get the header and TARVIK_DLLIMPORT.
target_include_directories(TarvikToolBar INTERFACE $<INSTALL_INTERFACE:include>)
target_compile_definitions(TarvikToolBar INTERFACE $<INSTALL_INTERFACE:TARVIK_DLLIMPORT>)
install(TARGETS TarvikToolBar EXPORT TarvikToolBarTargets
        RUNTIME DESTINATION bin
        ARCHIVE DESTINATION lib)
install(TARGETS tarvikctl tarvik RUNTIME DESTINATION bin)
install(CODE "set(tarvik_objcopy [[${CMAKE_OBJCOPY}]])
set(tarvik_debug_dir [[${debug_dir}]])
set(tarvik_stripped [[${shipped_binaries}]])")
install(CODE [[
    foreach(file IN LISTS tarvik_stripped)
        execute_process(COMMAND "${tarvik_objcopy}" --strip-all
                                "--add-gnu-debuglink=${tarvik_debug_dir}/${file}.debug"
                                "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${file}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
]])
# The win64 archive also carries the 32-bit DLL and tarvikctl in bin/x86: the 64-bit
# tarvikctl starts that one as its companion for the 32-bit frames. They come from the
# win32 build tree beside this one, which must have built what ships before packing.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    get_filename_component(sibling_tree ${CMAKE_BINARY_DIR}/../win32 ABSOLUTE)
    set(TARVIK_COMPANION_TREE ${sibling_tree} CACHE PATH
        "The win32 build tree whose DLL and tarvikctl the win64 archive carries in bin/x86")
    find_program(TARVIK_I686_OBJCOPY i686-w64-mingw32-objcopy)
    install(CODE "set(tarvik_companion_tree [[${TARVIK_COMPANION_TREE}]])
set(tarvik_i686_objcopy [[${TARVIK_I686_OBJCOPY}]])")
    install(CODE [[
        set(x86 "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/x86")
        file(MAKE_DIRECTORY "${x86}")
        foreach(file TarvikToolBar.dll tarvikctl.exe)
            if(NOT EXISTS "${tarvik_companion_tree}/${file}")
                message(FATAL_ERROR "${tarvik_companion_tree}/${file} missing: build the win32 tree first")
            endif()
            file(COPY "${tarvik_companion_tree}/${file}" DESTINATION "${x86}")
            execute_process(COMMAND "${tarvik_i686_objcopy}" --strip-all
                    "--add-gnu-debuglink=${tarvik_companion_tree}/debug/${file}.debug"
                    "${x86}/${file}"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    ]])
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/tarvikctl/examples/ DESTINATION bin/examples
        PATTERN "*.py" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/include/TarvikToolBar.h DESTINATION include)
install(FILES ${def_file} ${msvc_implib} DESTINATION lib)

install(EXPORT TarvikToolBarTargets NAMESPACE TarvikToolBar:: DESTINATION ${cmake_destination})
set(TARVIK_MSVC_IMPLIB lib/${TARVIK_DLL_BASENAME}.lib)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/package/TarvikToolBarConfig.cmake.in
    ${package_dir}/TarvikToolBarConfig.cmake
    INSTALL_DESTINATION ${cmake_destination}
    PATH_VARS TARVIK_MSVC_IMPLIB)
# The version file also turns a package of the other bitness away.
write_basic_package_version_file(${package_dir}/TarvikToolBarConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${package_dir}/TarvikToolBarConfig.cmake
              ${package_dir}/TarvikToolBarConfigVersion.cmake
        DESTINATION ${cmake_destination})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TARVIK_README_X86 "\n  bin\\x86\\                   the 32-bit tarvikctl and DLL, started by the 64-bit one")
else()
    set(TARVIK_README_X86 "")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/README.txt.in ${package_dir}/README.txt @ONLY
               NEWLINE_STYLE WIN32)
install(FILES ${package_dir}/README.txt DESTINATION .)

# What scripts/check-package needs to know about this build tree.
file(CONFIGURE OUTPUT ${package_dir}/package-info.sh @ONLY CONTENT [[
TARVIK_PACKAGE_NAME=@TARVIK_PACKAGE_NAME@
TARVIK_VERSION=@PROJECT_VERSION@
TARVIK_DLL=@TARVIK_DLL_BASENAME@
TARVIK_COMPANION_TREE=@TARVIK_COMPANION_TREE@
TARVIK_ARCH=@CMAKE_SYSTEM_PROCESSOR@
TARVIK_TRIPLE=@TARVIK_TRIPLE@
TARVIK_TOOLCHAIN=@CMAKE_TOOLCHAIN_FILE@
]])

# cpack builds nothing itself (not the whole tree): the scripts build what ships first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR ${PROJECT_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Restyles the toolbars of Explorer and Internet Explorer frames")
set(CPACK_PACKAGE_FILE_NAME ${TARVIK_PACKAGE_NAME})
include(CPack)

# The archive checked as a user and a controller author meet it.
add_test(NAME package_archive
         COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-package ${CMAKE_BINARY_DIR})
set_tests_properties(package_archive PROPERTIES TIMEOUT 180 LABELS package)

include(${CMAKE_CURRENT_LIST_DIR}/TarvikInstaller.cmake)
