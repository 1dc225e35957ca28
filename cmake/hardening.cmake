# Hardening the modules carry besides ASLR and DEP (which the linker sets by
# default): a stack protector on every function with an array or an address-
# taken local, the checked string and memory calls of _FORTIFY_SOURCE (both
# from GCC's libssp, linked statically), and on i686 the NO_SEH mark.
#
# NO_SEH tells the loader that no code in the module installs a structured
# exception handler, so that a handler address within it found on a thread's
# handler chain is refused. That holds because the i686 GCC unwinds C++
# exceptions with DWARF tables and nothing linked in writes the handler chain
# at %fs:0; the dll_file_facts test proves it on every build.
#
# TN_HARDENING=OFF builds without all three, to measure what they cost.
option(TN_HARDENING "Stack protector, _FORTIFY_SOURCE and NO_SEH on the modules" ON)
if(TN_HARDENING)
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
    add_compile_definitions($<$<COMPILE_LANGUAGE:C,CXX>:_FORTIFY_SOURCE=2>)
    # The driver then links libssp, which holds the guard and the checks.
    add_link_options(-fstack-protector-strong)
endif()

# tn_mark_no_seh(target...): the NO_SEH mark on shipped i686 modules.
function(tn_mark_no_seh)
    if(NOT TN_HARDENING OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
        return()
    endif()
    foreach(target IN LISTS ARGN)
        target_link_options(${target} PRIVATE -Wl,--no-seh)
    endforeach()
endfunction()
