# The floor plan's include rule for one source folder: every quoted include names a path under one
# of the allowed prefixes (the folder itself and the folders it declares), and no Qt header is
# named where Qt is not allowed. Configuring runs it at once; the build runs it again whenever a
# file of the folder changes, so a new upward include fails the build that introduces it.
#
# Used as a module (qx44_check_includes) and as a script:
#   cmake -DQX44_CHECK_DIR=... -DQX44_CHECK_NAME=... -DQX44_CHECK_ALLOWED=a|b -DQX44_CHECK_QT=OFF
#         -DQX44_CHECK_STAMP=... -P IncludeCheck.cmake

function(qx44_check_includes dir name allowed allow_qt)
    file(GLOB_RECURSE files ${dir}/*.h ${dir}/*.cpp)
    set(faults "")
    foreach(f IN LISTS files)
        file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" path
                                 "${line}")
            if(NOT allow_qt AND path MATCHES "^(Q[A-Za-z]+|Qt[A-Za-z]*/)")
                string(APPEND faults "\n  ${f}: #include <${path}>: ${name} is Qt-free")
            elseif(line MATCHES "\"" AND path MATCHES "/")
                set(ok OFF)
                foreach(prefix IN LISTS allowed)
                    string(LENGTH "${prefix}/" length)
                    string(SUBSTRING "${path}" 0 ${length} head)
                    if(head STREQUAL "${prefix}/")
                        set(ok ON)
                    endif()
                endforeach()
                if(NOT ok OR path MATCHES "\\.\\./")
                    list(JOIN allowed " " allowed_text)
                    string(APPEND faults "\n  ${f}: #include \"${path}\": ${name} may include "
                                         "only ${allowed_text}")
                endif()
            endif()
        endforeach()
    endforeach()
    if(faults)
        message(FATAL_ERROR "Include outside the floor plan (src/core/CMakeLists.txt declares "
                            "which folders each one uses):${faults}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND QX44_CHECK_DIR)
    string(REPLACE "|" ";" allowed "${QX44_CHECK_ALLOWED}")
    qx44_check_includes(${QX44_CHECK_DIR} ${QX44_CHECK_NAME} "${allowed}" ${QX44_CHECK_QT})
    file(TOUCH ${QX44_CHECK_STAMP})
endif()

# Runs the check now and adds it to `target`'s build, depending on the folder's files.
function(qx44_enforce_includes target dir name allowed allow_qt)
    qx44_check_includes(${dir} ${name} "${allowed}" ${allow_qt})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.cpp)
    list(JOIN allowed "|" allowed_arg)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes.stamp)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DQX44_CHECK_DIR=${dir} -DQX44_CHECK_NAME=${name}
                "-DQX44_CHECK_ALLOWED=${allowed_arg}" -DQX44_CHECK_QT=${allow_qt}
                -DQX44_CHECK_STAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/IncludeCheck.cmake
        DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/IncludeCheck.cmake
        COMMENT "Checking the includes of ${name}"
        VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
endfunction()
