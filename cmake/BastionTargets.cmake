# One static library per subsystem folder. Sources are the .cpp files directly
# inside each listed folder of src/, so adding a file needs no CMake edit.
# DEPS are our own libraries, SYSTEM the outside libraries the code calls. A
# folder without sources yet gives an interface library that passes on DEPS
# only: nothing links a system library that no code of ours calls, and the
# first source file added brings its SYSTEM libraries in.
function(bastion_library target)
    cmake_parse_arguments(ARG "" "" "DIRS;DEPS;SYSTEM" ${ARGN})
    # Remembered for the include layering check: which folders hold the library.
    set_property(GLOBAL APPEND PROPERTY BASTION_LIBRARIES ${target})
    set_property(GLOBAL PROPERTY BASTION_LIBRARY_DIRS_${target} ${ARG_DIRS})
    set(sources)
    foreach(dir IN LISTS ARG_DIRS)
        file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
        list(APPEND sources ${dir_sources})
    endforeach()
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# The environment of every CTest entry: leak suppressions for libraries' own
# blocks, the leak checker's watch on loaded libraries' thread-local blocks
# off (src/platform/leak_checks.cpp says why), and no sound device.
set(BASTION_TEST_ENVIRONMENT
    "SDL_AUDIODRIVER=dummy"
    "ASAN_OPTIONS=intercept_tls_get_addr=0"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")

# One test program per folder of tests/, linked with the libraries named after
# the folder. Each suite named after SUITES is a CTest entry of its own, so
# that slow suites (those that run the program) run beside everything else;
# one more entry runs the program's remaining suites. "Suite/N" splits a
# suite's cases over N entries (GoogleTest's sharding, every case in exactly
# one of them), and SHARDS N splits the remaining suites' entry the same way:
# a long entry then runs side by side with itself.
function(bastion_tests name dir)
    cmake_parse_arguments(ARG "" "SHARDS" "SUITES" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE ${ARG_UNPARSED_ARGUMENTS} bastion_test_support
        GTest::gtest GTest::gmock GTest::gtest_main)
    # Otherwise one CTest entry per test program: each program sets up its GL
    # window and demo content once, instead of once per test case.
    set(entries)
    set(filters)
    set(shard_counts)
    set(rest "-")
    foreach(suite_and_shards IN LISTS ARG_SUITES)
        string(REPLACE "/" ";" parts "${suite_and_shards}")
        list(GET parts 0 suite)
        list(LENGTH parts count)
        set(shards 1)
        if(count GREATER 1)
            list(GET parts 1 shards)
        endif()
        list(APPEND entries ${name}.${suite})
        list(APPEND filters "${suite}.*")
        list(APPEND shard_counts ${shards})
        string(APPEND rest "${suite}.*:")
    endforeach()
    string(REGEX REPLACE ":$" "" rest "${rest}")
    if(rest STREQUAL "-")
        set(rest "*")
    endif()
    set(shards 1)
    if(ARG_SHARDS)
        set(shards ${ARG_SHARDS})
    endif()
    list(APPEND entries ${name})
    list(APPEND filters "${rest}")
    list(APPEND shard_counts ${shards})
    set(environment ${BASTION_TEST_ENVIRONMENT})
    foreach(entry filter shards IN ZIP_LISTS entries filters shard_counts)
        if(shards EQUAL 1)
            add_test(NAME ${entry} COMMAND ${name} --gtest_brief=1 --gtest_filter=${filter})
            set_tests_properties(${entry} PROPERTIES ENVIRONMENT "${environment}")
            continue()
        endif()
        math(EXPR last "${shards} - 1")
        foreach(index RANGE ${last})
            math(EXPR number "${index} + 1")
            add_test(NAME ${entry}.${number}of${shards} COMMAND ${name} --gtest_brief=1 --gtest_filter=${filter})
            set_tests_properties(${entry}.${number}of${shards} PROPERTIES ENVIRONMENT
                "${environment};GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${index}")
        endforeach()
    endforeach()
endfunction()

# The include layering check as a CTest entry. The link graph comes from the
# libraries' own link properties (not restated here), written next to the
# build for the check script to read: for each library its folders of src/
# and every library of ours it reaches by linking, itself included. A second
# entry runs the same check with planted files, each of which it must reject.
function(bastion_include_layering_tests)
    get_property(libraries GLOBAL PROPERTY BASTION_LIBRARIES)
    set(graph "set(LAYERING_LIBRARIES ${libraries})\n")
    foreach(library IN LISTS libraries)
        get_property(dirs GLOBAL PROPERTY BASTION_LIBRARY_DIRS_${library})
        set(reached ${library})
        set(pending ${library})
        while(pending)
            list(POP_FRONT pending current)
            get_target_property(type ${current} TYPE)
            if(type STREQUAL "INTERFACE_LIBRARY")
                get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
            else()
                get_target_property(links ${current} LINK_LIBRARIES)
            endif()
            foreach(link IN LISTS links)
                if(link IN_LIST libraries AND NOT link IN_LIST reached)
                    list(APPEND reached ${link})
                    list(APPEND pending ${link})
                endif()
            endforeach()
        endwhile()
        string(APPEND graph "set(LAYERING_DIRS_${library} ${dirs})\n")
        string(APPEND graph "set(LAYERING_REACH_${library} ${reached})\n")
    endforeach()
    set(graph_file ${PROJECT_BINARY_DIR}/include_layering_graph.cmake)
    file(WRITE ${graph_file} "${graph}")
    set(script ${PROJECT_SOURCE_DIR}/cmake/check_include_layering.cmake)
    add_test(NAME include_layering COMMAND ${CMAKE_COMMAND}
        -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DGRAPH=${graph_file} -P ${script})
    # Each planted entry is a file that holds one include: three the check
    # must reject, and a test of the audio library reading its internal header,
    # which it must let pass (tests mirror src/).
    add_test(NAME include_layering.planted COMMAND ${CMAKE_COMMAND}
        -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DGRAPH=${graph_file}
        "-DPLANTED=src/world/planted.cpp=render/renderer.h;src/shell/planted.cpp=coop/internal/value_codec.h;tests/coop/planted_test.cpp=audio/internal/effect_choice.h;tests/audio/planted_test.cpp=audio/internal/effect_choice.h"
        -P ${script})
    set_tests_properties(include_layering.planted PROPERTIES PASS_REGULAR_EXPRESSION
        "src/shell/planted.cpp: coop/internal/value_codec.h .*src/world/planted.cpp: render/renderer.h .*tests/coop/planted_test.cpp: audio/internal/effect_choice.h .*tests/coop/planted_test.cpp: audio/internal/effect_choice.h .*4 wrong includes")
endfunction()
