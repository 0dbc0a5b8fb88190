# The About box, the splash screen and the Other Characters window; the program's identity and install layout.

kyrel_add_test(tst_windows)
target_link_libraries(tst_windows PRIVATE kyrel_windows Qt6::Widgets)
target_compile_definitions(tst_windows PRIVATE
    KYREL_ICO_FILE="${PROJECT_SOURCE_DIR}/packaging/icons/kyrel-script-editor.ico")

# Runs the event loop to see the program end, so it gets a process of its own.
kyrel_add_test(tst_lastwindow)
target_link_libraries(tst_lastwindow PRIVATE kyrel_editor Qt6::Widgets)

add_test(NAME install_layout
    COMMAND ${CMAKE_COMMAND}
        -DBUILD_DIR=${CMAKE_BINARY_DIR}
        -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-check
        -DBINDIR=${CMAKE_INSTALL_BINDIR}
        -DDATADIR=${CMAKE_INSTALL_DATADIR}
        -DEXE_SUFFIX=${CMAKE_EXECUTABLE_SUFFIX}
        -P ${CMAKE_CURRENT_LIST_DIR}/../packaging/CheckInstall.cmake)
