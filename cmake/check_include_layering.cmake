# Include layering check, run as a CTest entry (cmake -P):
#   cmake -DSOURCE_DIR=<source> -DGRAPH=<build>/include_layering_graph.cmake
#         [-DPLANTED=<path>=<header>;...] -P check_include_layering.cmake
# A header of library B may be included by a file of library A only when A
# links B (directly or through another library), and a header under an
# internal/ folder of B only by B itself. A file belongs to the library whose
# folder is the longest one that holds it: src/world/internal/x.h to the world
# library, src/voice/chat/chat.cpp to the voice chat library.
# Tests mirror src/: tests/<folder> counts as the library of src/<folder>, so
# its tests may read that library's internal headers and only what it links.
# Test folders of no library (support, tools) may include public headers only.
# bench/ and fuzz/ probe single pieces of what they link and are not checked.
# GRAPH is written at configure time from the libraries' link properties.
# PLANTED adds files that exist only for this run, each holding one include,
# to show that the check rejects what it should.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT GRAPH)
    message(FATAL_ERROR "Include layering: SOURCE_DIR and GRAPH are required")
endif()
include(${GRAPH})
if(NOT LAYERING_LIBRARIES)
    message(FATAL_ERROR "Include layering: the graph names no library")
endif()

# The library whose folder of src/ is the longest one holding `path` (a path
# below src/ or, for tests, below tests/); empty when none holds it.
function(owning_library path out)
    set(best "")
    set(best_length 0)
    foreach(library IN LISTS LAYERING_LIBRARIES)
        foreach(dir IN LISTS LAYERING_DIRS_${library})
            string(LENGTH "${dir}/" length)
            string(SUBSTRING "${path}" 0 ${length} head)
            if(head STREQUAL "${dir}/" AND length GREATER best_length)
                set(best ${library})
                set(best_length ${length})
            endif()
        endforeach()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(faults "")
set(fault_count 0)
set(checked 0)

# One include of one file: `file` is the path from the source folder,
# `header` the include as written.
macro(check_include file header)
    if(EXISTS ${SOURCE_DIR}/src/${header})
        math(EXPR checked "${checked} + 1")
        owning_library("${header}" header_library)
        string(REGEX REPLACE "^(src|tests)/" "" below "${file}")
        owning_library("${below}" file_library)
        if(file_library AND NOT header_library IN_LIST LAYERING_REACH_${file_library})
            string(APPEND faults "${file}: ${header} is a header of ${header_library}, which ${file_library} does not link\n")
            math(EXPR fault_count "${fault_count} + 1")
        endif()
        if(header MATCHES "/internal/" AND NOT file_library STREQUAL header_library)
            string(APPEND faults "${file}: ${header} is internal to ${header_library}\n")
            math(EXPR fault_count "${fault_count} + 1")
        endif()
    endif()
endmacro()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp)
set(entries "")
foreach(file IN LISTS files)
    list(APPEND entries "${file}")
endforeach()
foreach(plant IN LISTS PLANTED)
    list(APPEND entries "${plant}")
endforeach()
list(SORT entries)
if(NOT files)
    message(FATAL_ERROR "Include layering: no source file found below ${SOURCE_DIR}")
endif()

foreach(entry IN LISTS entries)
    if(entry MATCHES "^([^=]+)=(.+)$")
        set(file ${CMAKE_MATCH_1})
        set(includes "${CMAKE_MATCH_2}")
    else()
        set(file ${entry})
        file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        set(includes "")
        foreach(line IN LISTS lines)
            if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
                list(APPEND includes "${CMAKE_MATCH_1}")
            endif()
        endforeach()
    endif()
    foreach(header IN LISTS includes)
        check_include("${file}" "${header}")
    endforeach()
endforeach()

list(LENGTH entries file_count)
if(fault_count GREATER 0)
    message("${faults}")
    message(FATAL_ERROR "Include layering: ${fault_count} wrong includes in ${file_count} files")
endif()
message(STATUS "Include layering: ${checked} includes of our own headers in ${file_count} files, none wrong")
