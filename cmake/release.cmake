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

# The release is made with GCC; the clang build only checks the code. GNU
# ld's link map names the archive of every member it took, which the notices
# file is made from (lld 14's names only the member).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
endif()

# Tovel starts no threads, so with GCC it links the runtime of the win32
# thread model (libstdc++ and libgcc built without thread support) and not
# winpthreads, which the posix model's runtime calls for its locks: 24 KB
# less, and one foreign component less. The tests keep the posix model.
# -no-pthread drops the driver's -lpthread, so code that reaches for POSIX
# threads fails to link instead of bringing winpthreads back.
find_program(TOVEL_MINGW_WIN32_GXX NAMES ${TOOLCHAIN_PREFIX}-g++-win32 REQUIRED)
execute_process(COMMAND ${TOVEL_MINGW_WIN32_GXX} -print-libgcc-file-name
                OUTPUT_VARIABLE TOVEL_WIN32_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(TOVEL_WIN32_RUNTIME_DIR ${TOVEL_WIN32_LIBGCC} DIRECTORY)
target_link_options(Tovel PRIVATE -no-pthread -L${TOVEL_WIN32_RUNTIME_DIR})

# The link map names every part of the runtime libraries that went into the
# exe; the notices file below is made from it.
set(TOVEL_LINK_MAP ${CMAKE_CURRENT_BINARY_DIR}/Tovel.map)
target_link_options(Tovel PRIVATE -Wl,-Map=${TOVEL_LINK_MAP})

# Authenticode: tovel_sign_exe(<input> <output>) signs a copy of a built
# program with the PKCS#12 file TOVEL_SIGN_PKCS12 (scripts/sign.sh; password
# and time-stamp server from the environment at build time). Without a
# certificate nothing is signed and the package holds the exe as linked.
set(TOVEL_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 certificate to sign the packed programs with; empty: unsigned")
function(tovel_sign_exe input output)
    add_custom_command(
        OUTPUT ${output}
        COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/sign.sh ${TOVEL_SIGN_PKCS12} ${input} ${output}
        DEPENDS ${input} ${TOVEL_SIGN_PKCS12} ${PROJECT_SOURCE_DIR}/scripts/sign.sh
        COMMENT "Signing ${output}"
        VERBATIM)
endfunction()
set(TOVEL_PACKED_EXE $<TARGET_FILE:Tovel>)
if(TOVEL_SIGN_PKCS12)
    set(TOVEL_PACKED_EXE ${CMAKE_CURRENT_BINARY_DIR}/signed/Tovel.exe)
    tovel_sign_exe($<TARGET_FILE:Tovel> ${TOVEL_PACKED_EXE})
endif()

# The notices of the third-party code in the exe, from its link map.
find_program(TOVEL_PYTHON3 NAMES python3 REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(TOVEL_NOTICES ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
add_custom_command(
    OUTPUT ${TOVEL_NOTICES}
    COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/third_party_notices.py
            --map ${TOVEL_LINK_MAP} --out ${TOVEL_NOTICES}
    DEPENDS Tovel ${CMAKE_CURRENT_SOURCE_DIR}/scripts/third_party_notices.py
    COMMENT "Writing ${TOVEL_NOTICES}"
    VERBATIM)

# The self-test (selftest/) goes out beside the program, built the same way:
# the program's size and path flags on it and on the GoogleTest it links, no
# link time stamp, and stripped (a user's report names tests, not addresses).
function(tovel_release_selftest exe)
    foreach(target ${exe} ${ARGN})
        target_compile_options(${target} PRIVATE
            "$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:CXX>>:${TOVEL_RELEASE_CXX_FLAGS};${TOVEL_PATH_MAPS}>")
    endforeach()
    target_link_options(${exe} PRIVATE "$<$<CONFIG:Release>:${TOVEL_RELEASE_LINK_FLAGS}>"
                        -Wl,--no-insert-timestamp)
    target_link_options(${exe} PRIVATE -Wl,-Map=${TOVEL_SELFTEST_MAP})
    add_custom_command(TARGET ${exe} POST_BUILD
        COMMAND ${TOVEL_OBJCOPY} --strip-all $<TARGET_FILE:${exe}>
        VERBATIM)
endfunction()
# Its notices, from its own link map: it links GoogleTest and winpthreads too.
set(TOVEL_SELFTEST_MAP ${CMAKE_CURRENT_BINARY_DIR}/Tovel-selftest.map)
set(TOVEL_SELFTEST_NOTICES ${CMAKE_CURRENT_BINARY_DIR}/selftest/THIRD-PARTY-NOTICES.txt)
add_custom_command(
    OUTPUT ${TOVEL_SELFTEST_NOTICES}
    COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/third_party_notices.py
            --map ${TOVEL_SELFTEST_MAP} --out ${TOVEL_SELFTEST_NOTICES}
            --program Tovel-selftest.exe
    DEPENDS win32_tests ${CMAKE_CURRENT_SOURCE_DIR}/scripts/third_party_notices.py
    COMMENT "Writing ${TOVEL_SELFTEST_NOTICES}"
    VERBATIM)

# The self-test is signed like the program when a certificate is given.
set(TOVEL_PACKED_SELFTEST $<TARGET_FILE:win32_tests>)
if(TOVEL_SIGN_PKCS12)
    set(TOVEL_PACKED_SELFTEST ${CMAKE_CURRENT_BINARY_DIR}/signed/Tovel-selftest.exe)
    tovel_sign_exe($<TARGET_FILE:win32_tests> ${TOVEL_PACKED_SELFTEST})
endif()

# The release packages: build/<preset>/dist/Tovel-<version>-win64.zip and
# Tovel-<version>-selftest-win64.zip with SHA256SUMS; scripts/release.sh
# copies them to dist/.
set(TOVEL_DIST_DIR ${CMAKE_CURRENT_BINARY_DIR}/dist)
set(TOVEL_PACKAGE ${TOVEL_DIST_DIR}/Tovel-${PROJECT_VERSION}-win64.zip)
set(TOVEL_SELFTEST_PACKAGE ${TOVEL_DIST_DIR}/Tovel-${PROJECT_VERSION}-selftest-win64.zip)
add_custom_command(
    OUTPUT ${TOVEL_PACKAGE} ${TOVEL_SELFTEST_PACKAGE} ${TOVEL_DIST_DIR}/SHA256SUMS
           ${TOVEL_DIST_DIR}/Tovel.debug
    COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_release.py
            --exe ${TOVEL_PACKED_EXE} --selftest ${TOVEL_PACKED_SELFTEST}
            --version ${PROJECT_VERSION} --out ${TOVEL_DIST_DIR}
            --notices ${TOVEL_NOTICES} --selftest-notices ${TOVEL_SELFTEST_NOTICES}
            --extra ${TOVEL_DEBUG_FILE}
    DEPENDS Tovel ${TOVEL_PACKED_EXE} ${TOVEL_NOTICES} win32_tests ${TOVEL_PACKED_SELFTEST}
            ${TOVEL_SELFTEST_NOTICES}
            ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_release.py
            ${CMAKE_CURRENT_SOURCE_DIR}/docs/README-ja.txt
            ${CMAKE_CURRENT_SOURCE_DIR}/docs/README-selftest.txt
            ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE
    COMMENT "Packing ${TOVEL_PACKAGE} and ${TOVEL_SELFTEST_PACKAGE}"
    VERBATIM)
add_custom_target(release_package ALL DEPENDS ${TOVEL_PACKAGE} ${TOVEL_SELFTEST_PACKAGE})

if(TOVEL_BUILD_TESTS)
    # Builds Tovel once more from a copy of the sources: a minute or two of
    # both cores (PROCESSORS), beside tests that mostly wait for Wine. It
    # needs no Wine, so with the highest cost it starts at once.
    add_test(NAME release_reproducible
             COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tests/release/reproducible_build_test.py -v)
    set_tests_properties(release_reproducible PROPERTIES
        LABELS release
        PROCESSORS 2
        COST 300
        TIMEOUT 1800
        ENVIRONMENT "TOVEL_BUILD_DIR=${CMAKE_CURRENT_BINARY_DIR}")
    # The notices in this build's package against its link map.
    add_test(NAME release_notices
             COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tests/release/third_party_notices_test.py -v)
    set_tests_properties(release_notices PROPERTIES
        LABELS release
        ENVIRONMENT "TOVEL_BUILD_DIR=${CMAKE_CURRENT_BINARY_DIR}")
    # This build's programs signed and packed as scripts/release.sh does with
    # a throwaway certificate, then the signed program under Wine.
    add_test(NAME release_signed
             COMMAND ${TOVEL_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/tests/release/signed_release_test.py -v)
    set_tests_properties(release_signed PROPERTIES
        LABELS release
        TIMEOUT 1800
        FIXTURES_REQUIRED wine_prefix
        ENVIRONMENT "TOVEL_EXE=$<TARGET_FILE:Tovel>;TOVEL_BUILD_DIR=${CMAKE_CURRENT_BINARY_DIR};TOVEL_WINE_TEMPLATE=${TOVEL_WINE_TEMPLATE}")
endif()
