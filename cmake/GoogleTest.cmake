# GoogleTest from Debian's source package, built with the project's own
# compiler, so the same tests run natively and under Wine.
set(QUENZEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
# A native build without GoogleTest's sources (quenzel-cli built on another
# system) builds no tests.
set(QUENZEL_HAVE_GTEST ON)
if(NOT WIN32 AND NOT EXISTS ${QUENZEL_GTEST_SOURCE}/CMakeLists.txt)
    message(STATUS "No GoogleTest sources in ${QUENZEL_GTEST_SOURCE}: the tests are not built")
    set(QUENZEL_HAVE_GTEST OFF)
else()
    add_subdirectory(${QUENZEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
endif()

# Registers a test program with CTest. On Windows builds the program runs
# under Wine, through the runner the test scripts put on the path.
function(quenzel_add_test name)
    if(WIN32)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:${name}> ${ARGN})
    else()
        add_test(NAME ${name} COMMAND ${name} ${ARGN})
    endif()
    # A test stuck on a window must not stall the whole run. A crash fails
    # the test by the crash debugger's report, whatever exit code Wine gives
    # the process it ended (64-bit Wine sometimes gives 0), and whichever
    # process crashed: the test program or a program it started.
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 FAIL_REGULAR_EXPRESSION "Unhandled exception: ")
endfunction()

# Builds a test program and registers it:
#   quenzel_test_program(name SOURCES files... [DEFINITIONS defs...]
#                        [LIBS libraries...] [DEPENDS targets...])
# It links the libraries and gtest_main, and the targets it runs against
# (the program, the language files, ...) are built before it.
function(quenzel_test_program name)
    cmake_parse_arguments(PARSE_ARGV 1 TEST "" "" "SOURCES;DEFINITIONS;LIBS;DEPENDS")
    add_executable(${name} ${TEST_SOURCES})
    if(TEST_DEFINITIONS)
        target_compile_definitions(${name} PRIVATE ${TEST_DEFINITIONS})
    endif()
    target_link_libraries(${name} PRIVATE ${TEST_LIBS} gtest_main)
    if(TEST_DEPENDS)
        add_dependencies(${name} ${TEST_DEPENDS})
    endif()
    quenzel_warnings(${name})
    quenzel_add_test(${name})
endfunction()
