# One library per layer, and a build that refuses an include across them.
#
# Every source names a header by its path from the repository root
# ("settings/settings_file.h"). A library does not get the repository root as
# its include path but a root of its own in the build tree, which holds links
# to its own folder (or headers) and nothing else:
#
#   build/<preset>/layers/settings/settings         -> <sources>/settings
#   build/<preset>/layers/platform/platform/file_system.h -> <sources>/platform/file_system.h
#   build/<preset>/layers/win32/platform/win32      -> <sources>/platform/win32
#
# A library's sources and its users see its root and the roots of the
# libraries it links, so "ui/main_form.h" is simply not there for a file in
# settings/, and "platform/win32/..." only for what links the Win32 library.

set(TOVEL_LAYERS_DIR ${CMAKE_BINARY_DIR}/layers)

# Made afresh at each configure, so that no link outlives its header.
# (Removing a link removes the link, never what it points to.)
file(REMOVE_RECURSE ${TOVEL_LAYERS_DIR})
file(MAKE_DIRECTORY ${TOVEL_LAYERS_DIR})

# Windows lets only some accounts make symbolic links. Without them every
# library sees the whole repository: it still builds, but the layers go
# unchecked on that host.
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/CMakeLists.txt ${TOVEL_LAYERS_DIR}/probe
     SYMBOLIC RESULT link_result)
if(link_result EQUAL 0)
    set(TOVEL_LAYER_LINKS ON)
    file(REMOVE ${TOVEL_LAYERS_DIR}/probe)
else()
    set(TOVEL_LAYER_LINKS OFF)
    message(WARNING "No symbolic links here (${link_result}): every library sees the "
                    "whole source tree, and an include across the layers is not caught")
endif()

# tovel_layer(<target> EXPOSE <path>... [SOURCES <file>...] [DEPENDS <target>...])
#
# EXPOSE  folders or single headers, relative to the repository root, that
#         the library's own sources and its users include by that path.
# SOURCES the library's sources; with none it is a header-only library.
# DEPENDS the lower layers it may use; their users may use them too, since
#         the library's headers include theirs.
function(tovel_layer target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "EXPOSE;SOURCES;DEPENDS")
    if(arg_SOURCES)
        add_library(${target} STATIC ${arg_SOURCES})
        set(scope PUBLIC)
    else()
        add_library(${target} INTERFACE)
        set(scope INTERFACE)
    endif()

    if(TOVEL_LAYER_LINKS)
        string(REGEX REPLACE "^tovel_" "" name ${target})
        set(root ${TOVEL_LAYERS_DIR}/${name})
        foreach(path ${arg_EXPOSE})
            if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${path})
                message(FATAL_ERROR "${target} exposes ${path}, which does not exist")
            endif()
            get_filename_component(parent ${root}/${path} DIRECTORY)
            file(MAKE_DIRECTORY ${parent})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${root}/${path}
                 SYMBOLIC RESULT link_result)
            if(NOT link_result EQUAL 0)
                message(FATAL_ERROR "Cannot link ${root}/${path}: ${link_result}")
            endif()
        endforeach()
    else()
        set(root ${PROJECT_SOURCE_DIR})
    endif()

    target_include_directories(${target} ${scope} ${root})
    target_link_libraries(${target} ${scope} ${arg_DEPENDS})
endfunction()
