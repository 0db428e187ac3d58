# Release side of Tovel.exe: the version resources, and for the mingw-w64
# build a small exe with its debug information in a file of its own, the same
# bytes from the same sources wherever they are built, and the release zip.
# Included once the Tovel target exists.

# The version is written once, in project(); the version block and the
# manifest are made from it.
set(TOVEL_GENERATED_RES ${CMAKE_CURRENT_BINARY_DIR}/res)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/res/version.h.in ${TOVEL_GENERATED_RES}/version.h @ONLY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/res/Tovel.manifest.in ${TOVEL_GENERATED_RES}/Tovel.manifest @ONLY)
# The resource compiler looks for the manifest named in Tovel.rc in the include path too.
target_include_directories(Tovel PRIVATE ${TOVEL_GENERATED_RES})
set_property(SOURCE res/Tovel.rc APPEND PROPERTY OBJECT_DEPENDS
             ${TOVEL_GENERATED_RES}/version.h ${TOVEL_GENERATED_RES}/Tovel.manifest)

if(NOT MINGW)
    return()
endif()

# Size: optimise for size and drop what nothing calls. Stripped exe, in bytes,
# with GCC 12: -O3 486400, -O2 438784, -Os 377344, -Os with unused sections
# dropped 371200. Link-time optimisation stops GCC 12 with an internal
# compiler error here, so it is not used. -g only fills Tovel.debug below.
set(TOVEL_RELEASE_CXX_FLAGS -Os -g -ffunction-sections -fdata-sections)
set(TOVEL_RELEASE_LINK_FLAGS -Wl,--gc-sections)

# The same bytes from the same sources in any folder: no source or build
# paths in the objects (__FILE__, debug information), no link time stamp.
# GCC tries the last map first, so the build folder wins where it lies inside
# the sources.
set(TOVEL_PATH_MAPS
    -ffile-prefix-map=${CMAKE_CURRENT_SOURCE_DIR}=.
    -ffile-prefix-map=${CMAKE_CURRENT_BINARY_DIR}=build)
foreach(target ${TOVEL_PROGRAM_LIBRARIES} Tovel)
    target_compile_options(${target} PRIVATE
        "$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:CXX>>:${TOVEL_RELEASE_CXX_FLAGS};${TOVEL_PATH_MAPS}>")
endforeach()
target_link_options(Tovel PRIVATE "$<$<CONFIG:Release>:${TOVEL_RELEASE_LINK_FLAGS}>" -Wl,--no-insert-timestamp)

# The debug information goes to Tovel.debug beside the exe; the exe keeps only
# its name and checksum (.gnu_debuglink), which debuggers follow. objcopy
# stamps the PE files it writes with the current time unless SOURCE_DATE_EPOCH
# gives one; 0 is what the linker's --no-insert-timestamp leaves.
set(TOVEL_DEBUG_FILE $<TARGET_FILE_DIR:Tovel>/Tovel.debug)
set(TOVEL_OBJCOPY ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
add_custom_command(TARGET Tovel POST_BUILD
    COMMAND ${TOVEL_OBJCOPY} --only-keep-debug $<TARGET_FILE:Tovel> ${TOVEL_DEBUG_FILE}
    COMMAND ${TOVEL_OBJCOPY} --strip-all --add-gnu-debuglink=${TOVEL_DEBUG_FILE} $<TARGET_FILE:Tovel>
    VERBATIM)

# The self-test (tests/win32) goes out beside the program, built the same way:
# the program's size and path flags on it and on the GoogleTest it links, no
# link time stamp, and stripped (a user's report names tests, not addresses).
function(tovel_release_selftest exe)
    foreach(target ${exe} ${ARGN})
        target_compile_options(${target} PRIVATE
            "$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:CXX>>:${TOVEL_RELEASE_CXX_FLAGS};${TOVEL_PATH_MAPS}>")
    endforeach()
    target_link_options(${exe} PRIVATE "$<$<CONFIG:Release>:${TOVEL_RELEASE_LINK_FLAGS}>"
                        -Wl,--no-insert-timestamp)
    add_custom_command(TARGET ${exe} POST_BUILD
        COMMAND ${TOVEL_OBJCOPY} --strip-all $<TARGET_FILE:${exe}>
        VERBATIM)
endfunction()

# The release packages: build/<preset>/dist/Tovel-<version>-win64.zip and
# Tovel-<version>-selftest-win64.zip with SHA256SUMS; scripts/release.sh
# copies them to dist/.
find_program(TOVEL_PYTHON3 NAMES python3 REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(TOVEL_DIST_DIR ${CMAKE_CURRENT_BINARY_DIR}/dist)
set(TOVEL_PACKAGE ${TOVEL_DIST_DIR}/Tovel-${PROJECT_VERSION}-win64.zip)
set(TOVEL_SELFTEST_PACKAGE ${TOVEL_DIST_DIR}/Tovel-${PROJECT_VERSION}-selftest-win64.zip)
add_custom_command(
    OUTPUT ${TOVEL_PACKAGE} ${TOVEL_SELFTEST_PACKAGE} ${TOVEL_DIST_DIR}/SHA256SUMS
           ${TOVEL_DIST_DIR}/Tovel.debug
    COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_release.py
            --exe $<TARGET_FILE:Tovel> --selftest $<TARGET_FILE:win32_tests>
            --version ${PROJECT_VERSION} --out ${TOVEL_DIST_DIR}
            --extra ${TOVEL_DEBUG_FILE}
    DEPENDS Tovel win32_tests
            ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_release.py
            ${CMAKE_CURRENT_SOURCE_DIR}/docs/README-ja.txt
            ${CMAKE_CURRENT_SOURCE_DIR}/docs/README-selftest.txt
            ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE
    COMMENT "Packing ${TOVEL_PACKAGE} and ${TOVEL_SELFTEST_PACKAGE}"
    VERBATIM)
add_custom_target(release_package ALL DEPENDS ${TOVEL_PACKAGE} ${TOVEL_SELFTEST_PACKAGE})

if(TOVEL_BUILD_TESTS)
    # Builds Tovel once more from a copy of the sources: a few minutes of both
    # cores, so it runs alone rather than slowing the tests that run programs.
    add_test(NAME release_reproducible
             COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tests/release/reproducible_build_test.py -v)
    set_tests_properties(release_reproducible PROPERTIES
        LABELS release
        RUN_SERIAL TRUE
        TIMEOUT 1800
        ENVIRONMENT "TOVEL_BUILD_DIR=${CMAKE_CURRENT_BINARY_DIR}")
endif()
