# libsodium as the target `sodium`. The Windows builds link the static
# library scripts/build-libsodium cross-built for their architecture (so the
# program stays one file importing system DLLs only); the native build links
# the system's (libsodium-dev).
if(WIN32)
    set(QUENZEL_SODIUM_DIR ${PROJECT_SOURCE_DIR}/build/deps/libsodium-${CMAKE_SYSTEM_PROCESSOR}
        CACHE PATH "libsodium built for this architecture")
    if(NOT EXISTS ${QUENZEL_SODIUM_DIR}/lib/libsodium.a)
        message(FATAL_ERROR "libsodium for ${CMAKE_SYSTEM_PROCESSOR} is missing in ${QUENZEL_SODIUM_DIR}: "
                            "scripts/build ${CMAKE_SYSTEM_PROCESSOR} builds it")
    endif()
    add_library(sodium STATIC IMPORTED)
    set_target_properties(sodium PROPERTIES
        IMPORTED_LOCATION ${QUENZEL_SODIUM_DIR}/lib/libsodium.a
        INTERFACE_INCLUDE_DIRECTORIES ${QUENZEL_SODIUM_DIR}/include
        INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC
        INTERFACE_LINK_LIBRARIES advapi32)
else()
    find_path(QUENZEL_SODIUM_INCLUDE sodium.h REQUIRED)
    if(QUENZEL_STATIC_SODIUM)
        # The release tarball of quenzel-cli carries libsodium inside where
        # the system has its static library (Debian's libsodium-dev does).
        find_library(QUENZEL_SODIUM_LIBRARY NAMES libsodium.a sodium REQUIRED)
    else()
        find_library(QUENZEL_SODIUM_LIBRARY sodium REQUIRED)
    endif()
    add_library(sodium UNKNOWN IMPORTED)
    set_target_properties(sodium PROPERTIES
        IMPORTED_LOCATION ${QUENZEL_SODIUM_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${QUENZEL_SODIUM_INCLUDE})
endif()
