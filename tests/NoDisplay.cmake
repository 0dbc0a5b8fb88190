# Starts the program where it has no display to show its window on: it says so in one line of its own, prints
# nothing else, and ends with status 1. Where a display does open, the warnings Qt gave while it was being opened
# are printed all the same (the program is stopped after a while there).
#   cmake -DPROGRAM=<kyrel-script-editor> -DWORK_DIR=<scratch folder> -P NoDisplay.cmake

set(expected "Kyrel: Script Editor needs a graphical display, and none could be opened.\n")

# A display number no X server holds here: neither its socket nor its lock file exists.
foreach(number RANGE 4711 4811)
    if(NOT EXISTS "/tmp/.X11-unix/X${number}" AND NOT EXISTS "/tmp/.X${number}-lock")
        set(unreachable ":${number}")
        break()
    endif()
endforeach()
if(NOT unreachable)
    message(FATAL_ERROR "every display from :4711 to :4811 has a server")
endif()

# A library the xcb plugin needs that is no library, found first: the plugin is there but does not load.
file(WRITE "${WORK_DIR}/broken-libraries/libQt6XcbQpa.so.6" "no library\n")
set(libraries "${WORK_DIR}/broken-libraries")
if(DEFINED ENV{LD_LIBRARY_PATH} AND NOT "$ENV{LD_LIBRARY_PATH}" STREQUAL "")
    string(APPEND libraries ":$ENV{LD_LIBRARY_PATH}")
endif()

# Each case: the environment as arguments of `env`, after the display settings of the test run are taken away;
# a case ending in "|warns=TEXT~TEXT..." opens a display, and each TEXT is printed meanwhile: Qt's warnings while the
# display opens, and what it logs once the window is being made.
# `env` runs the program in its own place, so an abort shows as such and not as status 1 (as `cmake -E env` has it).
set(cases
    "--unset=DISPLAY|--unset=WAYLAND_DISPLAY|--unset=QT_QPA_PLATFORM"
    "DISPLAY=|WAYLAND_DISPLAY=|QT_QPA_PLATFORM="
    "DISPLAY=${unreachable}"
    "QT_QPA_PLATFORM=xcb|DISPLAY=${unreachable}"
    "QT_QPA_PLATFORM=foo"
    "QT_QPA_PLATFORM=xcb|DISPLAY=${unreachable}|LD_LIBRARY_PATH=${libraries}"
    "QT_QPA_PLATFORM=offscreen|QT_STYLE_OVERRIDE=nosuchstyle|QT_LOGGING_RULES=qt.gui.shortcutmap.debug=true|warns=invalid style override 'nosuchstyle'~QShortcutMap::addShortcut(QMenuBar")
foreach(case IN LISTS cases)
    set(warning "")
    if(case MATCHES "^(.*)\\|warns=(.*)$")
        set(case "${CMAKE_MATCH_1}")
        set(warning "${CMAKE_MATCH_2}")
    endif()
    string(REPLACE "|" ";" environment "${case}")
    # A program that shows its window runs until it is stopped: `timeout` ends it with status 124.
    set(stop "")
    if(warning)
        set(stop timeout 5)
    endif()
    execute_process(COMMAND env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                            --unset=QT_QPA_PLATFORM_PLUGIN_PATH ${environment} ${stop} "${PROGRAM}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
    if(warning)
        set(warned 0)
        string(REPLACE "~" ";" warnings "${warning}")
        foreach(text IN LISTS warnings)
            string(FIND "${err}" "${text}" found)
            if(found EQUAL -1)
                set(warned -1)
            endif()
        endforeach()
        string(FIND "${err}" "${expected}" refused)
        if(NOT status STREQUAL "124" OR warned EQUAL -1 OR NOT refused EQUAL -1)
            message(FATAL_ERROR "with '${case}': status ${status}\nstdout: '${out}'\nstderr: '${err}'")
        endif()
    elseif(NOT status STREQUAL "1" OR NOT out STREQUAL "" OR NOT err STREQUAL expected)
        message(FATAL_ERROR "with '${case}': status ${status}\nstdout: '${out}'\nstderr: '${err}'")
    endif()
endforeach()
list(LENGTH cases count)
message(STATUS "no display: status 1 and the one line; a display: Qt's warnings printed; ${count} cases")
