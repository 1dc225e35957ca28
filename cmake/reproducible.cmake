# Reproducible output: two builds of one commit give the same bytes wherever
# and whenever they run.
#
# TN_SOURCE_DATE_EPOCH is the one time the outputs carry (the modules' PE
# headers, the archive's entries): SOURCE_DATE_EPOCH when it is set at
# configure time, otherwise the commit time of the source's HEAD. A new commit
# makes the next build configure again, so the time follows the commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(TN_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
    set(tn_epoch_from "SOURCE_DATE_EPOCH")
else()
    find_program(TN_GIT git)
    set(TN_SOURCE_DATE_EPOCH "")
    if(TN_GIT)
        execute_process(COMMAND ${TN_GIT} -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
            OUTPUT_VARIABLE TN_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE tn_git_failed ERROR_QUIET)
        execute_process(COMMAND ${TN_GIT} -C ${CMAKE_SOURCE_DIR} rev-parse --git-path logs/HEAD
            OUTPUT_VARIABLE tn_head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(tn_head_log AND NOT IS_ABSOLUTE "${tn_head_log}")
            set(tn_head_log ${CMAKE_SOURCE_DIR}/${tn_head_log})
        endif()
        if(tn_head_log AND EXISTS "${tn_head_log}")
            set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tn_head_log})
        endif()
    endif()
    set(tn_epoch_from "the commit")
    if(NOT TN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        # Not a git checkout: a fixed time (the earliest a ZIP entry can hold)
        # still gives identical builds.
        set(TN_SOURCE_DATE_EPOCH 315532800)
        set(tn_epoch_from "no commit found, a fixed time")
    endif()
endif()
if(NOT TN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$" OR TN_SOURCE_DATE_EPOCH LESS 315532800)
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, from 1980 on (got '${TN_SOURCE_DATE_EPOCH}')")
endif()
message(STATUS "Time of the outputs: ${TN_SOURCE_DATE_EPOCH} (${tn_epoch_from})")

# No build path in the debug information or in __FILE__: source paths are
# written relative to the source tree, those of a build folder outside it as
# ./build. GCC applies the map given last first.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>)
string(FIND "${CMAKE_BINARY_DIR}/" "${CMAKE_SOURCE_DIR}/" tn_binary_inside)
if(NOT tn_binary_inside EQUAL 0)
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=./build>)
endif()

# tn_stamp_module(target...): the linker writes TN_SOURCE_DATE_EPOCH into the
# module's PE header and export directory instead of the time of the link.
function(tn_stamp_module)
    foreach(target IN LISTS ARGN)
        set_property(TARGET ${target} PROPERTY CXX_LINKER_LAUNCHER
            ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TN_SOURCE_DATE_EPOCH})
    endforeach()
endfunction()
