# Cross build of the Windows program with clang (LLVM) for the same ABI as
# cmake/mingw-w64-x86_64.cmake: the mingw-w64 headers and C runtime, GCC's
# libstdc++ and runtime of the posix thread model, windres for the resources.
# Only the compiler and the linker (lld) differ, so code that leans on one
# compiler shows up here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-14 REQUIRED)
find_program(CMAKE_C_COMPILER NAMES clang clang-14 REQUIRED)
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
find_program(CMAKE_RC_COMPILER NAMES ${TOOLCHAIN_PREFIX}-windres REQUIRED)

# The mingw-w64 headers and import libraries. As the sysroot they also keep
# the host's /usr/include out of the search path.
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

# clang does not find Debian's GCC folders (named 12-posix, 12-win32, not by
# a bare version), so it is told where the posix model's libgcc and libstdc++
# are: the ones the GCC build uses, std::thread and std::mutex included.
find_program(TOVEL_MINGW_GXX NAMES ${TOOLCHAIN_PREFIX}-g++-posix REQUIRED)
execute_process(COMMAND ${TOVEL_MINGW_GXX} -print-libgcc-file-name
                OUTPUT_VARIABLE TOVEL_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(TOVEL_MINGW_GCC_DIR ${TOVEL_MINGW_LIBGCC} DIRECTORY)
set(TOVEL_MINGW_CXX_INCLUDE ${TOVEL_MINGW_GCC_DIR}/include/c++)
if(NOT EXISTS ${TOVEL_MINGW_CXX_INCLUDE}/${TOOLCHAIN_PREFIX}/bits/c++config.h)
    message(FATAL_ERROR "No libstdc++ headers for ${TOOLCHAIN_PREFIX} in ${TOVEL_MINGW_CXX_INCLUDE}")
endif()
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${TOVEL_MINGW_CXX_INCLUDE} -isystem ${TOVEL_MINGW_CXX_INCLUDE}/${TOOLCHAIN_PREFIX} -isystem ${TOVEL_MINGW_CXX_INCLUDE}/backward")
# -pthread links winpthreads, which GCC's posix-model runtime calls.
set(TOVEL_CLANG_MINGW_LINK_FLAGS "-fuse-ld=lld -L${TOVEL_MINGW_GCC_DIR} -pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${TOVEL_CLANG_MINGW_LINK_FLAGS})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${TOVEL_CLANG_MINGW_LINK_FLAGS})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${TOVEL_CLANG_MINGW_LINK_FLAGS})

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
