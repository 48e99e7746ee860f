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

# One test program per folder of tests/, linked with the libraries named after
# the folder. Each suite named after SUITES is a CTest entry of its own, so
# that slow suites (those that run the program) run beside everything else;
# one more entry runs the program's remaining suites.
function(bastion_tests name dir)
    cmake_parse_arguments(ARG "" "" "SUITES" ${ARGN})
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
    set(entries ${name})
    set(filters "*")
    if(ARG_SUITES)
        set(rest "-")
        foreach(suite IN LISTS ARG_SUITES)
            list(APPEND entries ${name}.${suite})
            list(APPEND filters "${suite}.*")
            string(APPEND rest "${suite}.*:")
        endforeach()
        list(POP_FRONT filters)
        string(REGEX REPLACE ":$" "" rest "${rest}")
        list(APPEND filters "${rest}")
        list(POP_FRONT entries)
        list(APPEND entries ${name})
    endif()
    foreach(entry filter IN ZIP_LISTS entries filters)
        add_test(NAME ${entry} COMMAND ${name} --gtest_brief=1 --gtest_filter=${filter})
        set_tests_properties(${entry} PROPERTIES ENVIRONMENT
            "SDL_AUDIODRIVER=dummy;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
    endforeach()
endfunction()
