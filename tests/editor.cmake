add_library(kyrel_editor_driver STATIC support/ModalAnswerer.cpp support/EditorDriver.cpp)
target_link_libraries(kyrel_editor_driver PUBLIC kyrel_editor Qt6::Widgets Qt6::Test)

kyrel_add_test(tst_gamedialog)
target_link_libraries(tst_gamedialog PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_badinput)
target_link_libraries(tst_badinput PRIVATE kyrel_editor_driver)

kyrel_add_test(tst_copyasnewtext)
target_link_libraries(tst_copyasnewtext PRIVATE kyrel_editor_driver)
