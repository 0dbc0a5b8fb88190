# Installs a build into a fresh prefix and checks that the program, its desktop entry and its icons are in place.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch folder> -DBINDIR=bin -DDATADIR=share [-DEXE_SUFFIX=.exe]
#         -P CheckInstall.cmake
# The prefix is emptied first.

cmake_minimum_required(VERSION 3.25)

foreach(variable BUILD_DIR PREFIX BINDIR DATADIR)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "CheckInstall.cmake needs -D${variable}=...")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(program "${PREFIX}/${BINDIR}/kyrel-script-editor${EXE_SUFFIX}")
set(entry "${PREFIX}/${DATADIR}/applications/kyrel-script-editor.desktop")
set(expected "${program}" "${entry}")
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected "${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/kyrel-script-editor.png")
endforeach()

set(missing "")
foreach(file IN LISTS expected)
    if(NOT EXISTS "${file}")
        list(APPEND missing "${file}")
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "missing after install:\n  ${missing}")
endif()

# Whole lines of the desktop entry; read as one text because the Categories line holds semicolons.
file(READ "${entry}" content)
foreach(line "Name=Kyrel: Script Editor" "Exec=kyrel-script-editor" "Icon=kyrel-script-editor"
             "Categories=Development\\;Qt\\;")
    string(REPLACE "\\;" ";" line "${line}")
    string(FIND "\n${content}" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks the line '${line}'")
    endif()
endforeach()

# Every installed icon is a PNG file: its first eight bytes are the PNG signature.
foreach(file IN LISTS expected)
    if(file MATCHES "\\.png$")
        file(READ "${file}" signature LIMIT 8 HEX)
        if(NOT signature STREQUAL "89504e470d0a1a0a")
            message(FATAL_ERROR "${file} is not a PNG file")
        endif()
    endif()
endforeach()

message(STATUS "installed ${program}, ${entry} and 8 icons")
