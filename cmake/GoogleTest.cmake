# GoogleTest from Debian's source package, built with the project's own
# compiler, so the same tests run natively and under Wine.
set(QUENZEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${QUENZEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Registers a test program with CTest. On Windows builds the program runs
# under Wine, through the runner the test scripts put on the path.
function(quenzel_add_test name)
    if(WIN32)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:${name}> ${ARGN})
    else()
        add_test(NAME ${name} COMMAND ${name} ${ARGN})
    endif()
    # A test stuck on a window must not stall the whole run.
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
