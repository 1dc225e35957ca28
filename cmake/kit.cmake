# The callers' kit, as `cmake --install <build> --prefix <dir>` lays it out and
# as the release archive (`cmake --build --preset default --target package`)
# holds it:
#   bin/      TNInstall.dll, Vaultcore.dll, tninstall.exe, stripped, each with
#             its debug information in a .debug file beside it
#   lib/      libTNInstall.a (mingw), TNInstall.lib (Microsoft's format),
#             TNInstall.def, cmake/TNInstall/ (the package for find_package)
#   include/  TNInstall.h
#   examples/ where_is.c and a CMakeLists.txt that finds the kit
#   README.txt

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TN_KIT_ARCH win64)
    set(tn_dlltool_machine i386:x86-64)
else()
    set(TN_KIT_ARCH win32)
    set(tn_dlltool_machine i386)
endif()

# Import library in Microsoft's format, made from the module definition like
# the mingw one, so callers built with Microsoft's toolchain link by ordinal.
find_program(TN_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
set(TN_MSVC_IMPLIB ${CMAKE_BINARY_DIR}/lib/TNInstall.lib)
add_custom_command(OUTPUT ${TN_MSVC_IMPLIB}
    COMMAND ${TN_LLVM_DLLTOOL} -m ${tn_dlltool_machine} -d ${TN_DEF} -D TNInstall.dll
            -l ${TN_MSVC_IMPLIB}
    DEPENDS ${TN_DEF}
    COMMENT "Import library for TNInstall.dll in Microsoft's format")
add_custom_target(TNInstall_msvc_implib ALL DEPENDS ${TN_MSVC_IMPLIB})

set(tn_modules TNInstall Vaultcore tninstall)
install(TARGETS ${tn_modules} RUNTIME DESTINATION bin LIBRARY DESTINATION bin)

# The shipped modules are stripped; their debug information goes to a file
# beside each, which the module names in a debug link, so a crash address can
# still be symbolised. The build tree keeps the unstripped modules.
foreach(module IN LISTS tn_modules)
    install(CODE "
        set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/$<TARGET_FILE_NAME:${module}>\")
        execute_process(COMMAND ${CMAKE_OBJCOPY} --only-keep-debug \"\${file}\" \"\${file}.debug\"
                        COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-all \"\${file}\" COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${CMAKE_OBJCOPY} \"--add-gnu-debuglink=\${file}.debug\" \"\${file}\"
                        COMMAND_ERROR_IS_FATAL ANY)
        message(STATUS \"Stripped: \${file} (debug information in \${file}.debug)\")")
endforeach()

install(FILES ${TN_IMPLIB} ${TN_MSVC_IMPLIB} ${TN_DEF} DESTINATION lib)
install(FILES include/TNInstall.h DESTINATION include)
install(FILES examples/where_is.c DESTINATION examples)
install(FILES examples/kit/CMakeLists.txt DESTINATION examples)
configure_file(docs/kit.txt ${CMAKE_BINARY_DIR}/kit-README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kit-README.txt DESTINATION . RENAME README.txt)

# The package: find_package(TNInstall) gives the imported target
# TNInstall::TNInstall.
include(CMakePackageConfigHelpers)
set(tn_package_dir lib/cmake/TNInstall)
configure_file(cmake/TNInstallConfig.cmake.in ${CMAKE_BINARY_DIR}/TNInstallConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TNInstallConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TNInstallConfig.cmake
              ${CMAKE_BINARY_DIR}/TNInstallConfigVersion.cmake
        DESTINATION ${tn_package_dir})

# One release archive: TNInstall-<version>-win32.zip in the build tree.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TNInstall)
set(CPACK_PACKAGE_VENDOR "Tessaron")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME TNInstall-${PROJECT_VERSION}-${TN_KIT_ARCH})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
