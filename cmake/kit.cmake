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
# The archive is reproducible: every file in it, and the archive itself, is
# the same byte for byte in two builds of one commit (cmake/reproducible.cmake).

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
tn_stamp_module(${tn_modules})
tn_mark_no_seh(${tn_modules})
install(TARGETS ${tn_modules} RUNTIME DESTINATION bin LIBRARY DESTINATION bin)

# The shipped modules are stripped; their debug information goes to a file
# beside each, which the module names in a debug link, so a crash address can
# still be symbolised. The build tree keeps the unstripped modules. objcopy
# and strip write SOURCE_DATE_EPOCH into the PE header they rewrite.
install(CODE "set(ENV{SOURCE_DATE_EPOCH} ${TN_SOURCE_DATE_EPOCH})")
set(tn_sign_arguments "")
foreach(module IN LISTS tn_modules)
    install(CODE "
        set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/$<TARGET_FILE_NAME:${module}>\")
        execute_process(COMMAND ${CMAKE_OBJCOPY} --only-keep-debug \"\${file}\" \"\${file}.debug\"
                        COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-all \"\${file}\" COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${CMAKE_OBJCOPY} \"--add-gnu-debuglink=\${file}.debug\" \"\${file}\"
                        COMMAND_ERROR_IS_FATAL ANY)
        message(STATUS \"Stripped: \${file} (debug information in \${file}.debug)\")")
    string(APPEND tn_sign_arguments
        " \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/$<TARGET_FILE_NAME:${module}>\"")
endforeach()
# Then signed, when a certificate is given (scripts/sign.sh); signing leaves
# the debug files as they are.
install(CODE "execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/sign.sh${tn_sign_arguments}
                              COMMAND_ERROR_IS_FATAL ANY)")

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

# The release archive, build/TNInstall-<version>-win32.zip: the kit as
# `cmake --install` lays it out, written by cmake/kit_zip.py in a fixed order
# with fixed times and modes. `cmake -DTN_KIT_OUT=<dir> -P build/kit_package.cmake`
# makes it elsewhere.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TN_KIT_NAME TNInstall-${PROJECT_VERSION}-${TN_KIT_ARCH})
configure_file(cmake/kit_package.cmake.in ${CMAKE_BINARY_DIR}/kit_package.cmake @ONLY)
# CMake reserves the name "package" while a build folder holds CPack's files,
# which build folders made before this target existed do.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/kit_package.cmake
    COMMENT "The release archive ${TN_KIT_NAME}.zip"
    VERBATIM)
add_dependencies(package ${tn_modules} TNInstall_implib TNInstall_msvc_implib)
