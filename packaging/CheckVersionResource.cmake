# Compiles the Windows version resource with the resource compiler for Windows, reads the compiled resource
# back as text, and checks what Explorer shows of the program: product name, file and product version, and the
# language (U.S. English). Run by CTest in the Windows cross-build.
file(MAKE_DIRECTORY "${WORK_DIR}")
configure_file("${RC_IN}" "${WORK_DIR}/kyrel.rc" @ONLY)
execute_process(COMMAND "${RC_COMPILER}" -O coff -i "${WORK_DIR}/kyrel.rc" -o "${WORK_DIR}/kyrel.res"
    RESULT_VARIABLE compiled ERROR_VARIABLE compile_errors)
if(NOT compiled EQUAL 0)
    message(FATAL_ERROR "the version resource does not compile: ${compile_errors}")
endif()
execute_process(COMMAND "${RC_COMPILER}" -J coff -i "${WORK_DIR}/kyrel.res" -O rc -o "${WORK_DIR}/read-back.rc"
    RESULT_VARIABLE read ERROR_VARIABLE read_errors)
if(NOT read EQUAL 0)
    message(FATAL_ERROR "the compiled version resource cannot be read back: ${read_errors}")
endif()
file(READ "${WORK_DIR}/read-back.rc" back)

foreach(expected
        "VALUE \"ProductName\", \"${PROJECT_DESCRIPTION}\""
        "VALUE \"FileVersion\", \"1.01\""
        "VALUE \"ProductVersion\", \"1.01\""
        "BLOCK \"040904B0\""
        "LANGUAGE 9, 1")
    string(FIND "${back}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the compiled version resource lacks ${expected}:\n${back}")
    endif()
endforeach()
string(REGEX MATCH "VALUE \"Translation\", 0x0*409 *, *(0x4b0|0x4B0|1200)" translation "${back}")
if(NOT translation)
    message(FATAL_ERROR "the compiled version resource names no U.S. English translation:\n${back}")
endif()
message(STATUS "version resource: ${PROJECT_DESCRIPTION}, 1.01, U.S. English")
