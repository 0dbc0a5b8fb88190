add_library(kyrel_editor_driver STATIC support/ModalAnswerer.cpp support/EditorDriver.cpp support/EditorSession.cpp
    support/EditorTest.cpp)
target_link_libraries(kyrel_editor_driver PUBLIC kyrel_editor kyrel_testfiles Qt6::Widgets Qt6::Test)

kyrel_add_test(tst_gamedialog)
target_link_libraries(tst_gamedialog PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_badinput)
target_link_libraries(tst_badinput PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_safety)
target_link_libraries(tst_safety PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_accessiblenames)
target_link_libraries(tst_accessiblenames PRIVATE kyrel_editor Qt6::Widgets)

# The main window on a 1280x1024 screen at scale factor 2, where its usual place does not fit.
kyrel_add_test(tst_placement)
target_link_libraries(tst_placement PRIVATE kyrel_editor Qt6::Widgets)
set_tests_properties(tst_placement PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/support/screen-1280x1024.json;QT_SCALE_FACTOR=2")

kyrel_add_test(tst_copyasnewtext)
target_link_libraries(tst_copyasnewtext PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_reports)
target_link_libraries(tst_reports PRIVATE kyrel_editor)

kyrel_add_test(tst_undo)
target_link_libraries(tst_undo PRIVATE kyrel_editor_driver)

# On a screen with room beside the main window for the Messages window.
kyrel_add_test(tst_messagelist)
target_link_libraries(tst_messagelist PRIVATE kyrel_editor_driver)
set_tests_properties(tst_messagelist PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/support/screen-1280x1024.json")

kyrel_add_test(tst_script)
target_link_libraries(tst_script PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_sharepatch)
target_link_libraries(tst_sharepatch PRIVATE kyrel_editor_driver)
