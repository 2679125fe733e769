# ilvane_library(name FOLDERS dir... [EXCLUDE dir...] [EXCLUDE_FILES file...] [DEPENDS target...])
# Collects every .cpp below the folders, so that parallel work adds files without editing build files.
# A library with no sources yet is an interface library that still carries its dependencies.
function(ilvane_library name)
    cmake_parse_arguments(ARG "" "" "FOLDERS;EXCLUDE;EXCLUDE_FILES;DEPENDS" ${ARGN})
    set(sources)
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
        list(APPEND sources ${found})
    endforeach()
    foreach(folder IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/${folder}/")
    endforeach()
    foreach(file IN LISTS ARG_EXCLUDE_FILES)
        list(REMOVE_ITEM sources "${PROJECT_SOURCE_DIR}/${file}")
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()
endfunction()

# ilvane_tests(name FOLDERS dir... [EXCLUDE dir...] DEPENDS target...): one GoogleTest executable from the
# *.test.cpp files below the folders (relative to tests/). ctest runs each of its suites as one test, all cases in
# one process, named after the suite. Marks in the test sources (tests/SuiteLabels.h) change that per suite:
#   ILVANE_THREADED_SUITE(Suite);  the suite's code starts a thread: label "threads", run under ThreadSanitizer too
#   ILVANE_ISOLATED_SUITE(Suite);  each case in a process of its own, as the test "Suite.Case"
# Every suite also carries the executable's name as a label (ctest -L engine_tests).
function(ilvane_tests name)
    cmake_parse_arguments(ARG "" "" "FOLDERS;EXCLUDE;DEPENDS" ${ARGN})
    set(sources)
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.test.cpp")
        list(APPEND sources ${found})
    endforeach()
    foreach(folder IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${folder}/")
    endforeach()
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} test_main GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE ILVANE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
    # The suites are listed when ctest runs (cmake/IlvaneSuiteTests.cmake), so that a new suite or mark needs no
    # new configure.
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
    file(GENERATE OUTPUT ${include_file} CONTENT
"set(ILVANE_TEST_TARGET \"${name}\")
set(ILVANE_TEST_EXECUTABLE \"$<TARGET_FILE:${name}>\")
set(ILVANE_TEST_WORKING_DIRECTORY \"${CMAKE_CURRENT_BINARY_DIR}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/IlvaneSuiteTests.cmake\")
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# ilvane_tool(name SOURCES file... LIBRARIES target...): a content tool that the build runs. With ILVANE_HOST_TOOLS
# set to another build folder of this tree (the plain build), the tool built there is used, as an imported target
# of the same name, and none is compiled here: the sanitizer builds neither build the tools again nor run the
# generators instrumented. That build must have built its tools first.
set(ILVANE_HOST_TOOLS "" CACHE PATH "A build folder of this tree whose content tools this build uses")
function(ilvane_tool name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    if(ILVANE_HOST_TOOLS)
        file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
        add_executable(${name} IMPORTED GLOBAL)
        set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${ILVANE_HOST_TOOLS}/${folder}/${name})
    else()
        add_executable(${name} ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    endif()
endfunction()
