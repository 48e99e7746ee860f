# One static library per subsystem folder. Sources are the .cpp files directly
# inside each listed folder of src/, so adding a file needs no CMake edit.
# DEPS are our own libraries, SYSTEM the outside libraries the code calls. A
# folder without sources yet gives an interface library that passes on DEPS
# only: nothing links a system library that no code of ours calls, and the
# first source file added brings its SYSTEM libraries in.
function(bastion_library target)
    cmake_parse_arguments(ARG "" "" "DIRS;DEPS;SYSTEM" ${ARGN})
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

# The environment of every CTest entry. Leak suppressions for libraries' own
# blocks; no sound device. Mesa's software renderer draws in the thread that
# calls it: by default it keeps a pool of threads per context and per screen
# (sixteen on an eight-core machine, in every process with a window), and the
# leak checker at a program's end would have to stop those as well. On a
# loaded machine they also only wait for each other.
set(BASTION_TEST_ENVIRONMENT
    "SDL_AUDIODRIVER=dummy"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "LP_NUM_THREADS=0")

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
