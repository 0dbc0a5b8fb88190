# The program as a user starts it, and as its Debian package installs it.

add_test(NAME no_display
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:kyrel-script-editor> -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/no-display
            -P ${CMAKE_CURRENT_LIST_DIR}/NoDisplay.cmake)

# A sanitizer build is no build to ship, so only the normal build is packaged.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT KYREL_SANITIZE)
    add_test(NAME debian_package
        COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/CheckPackage.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION}
                ${CMAKE_CURRENT_BINARY_DIR}/package-check)
    set_tests_properties(debian_package PROPERTIES TIMEOUT 300)
endif()
