# Starts the program where it has no display to show its window on: it says so in one line of its own, prints
# nothing else, and ends with status 1.
#   cmake -DPROGRAM=<kyrel-script-editor> -P NoDisplay.cmake

set(expected "Kyrel: Script Editor needs a graphical display; none was found (DISPLAY is not set).\n")
# Each case: the environment as `cmake -E env` arguments. Unset, and set but empty, both mean no display.
set(cases "--unset=DISPLAY|--unset=WAYLAND_DISPLAY|--unset=QT_QPA_PLATFORM" "DISPLAY=|WAYLAND_DISPLAY=|QT_QPA_PLATFORM=")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" environment "${case}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env ${environment} "${PROGRAM}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
    if(NOT status STREQUAL "1" OR NOT out STREQUAL "" OR NOT err STREQUAL expected)
        message(FATAL_ERROR "with ${case}: status ${status}\nstdout: '${out}'\nstderr: '${err}'")
    endif()
endforeach()
message(STATUS "no display: status 1 and the one line, in both cases")
