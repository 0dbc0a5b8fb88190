kyrel_add_test(tst_gamedialog support/ModalAnswerer.cpp)
target_link_libraries(tst_gamedialog PRIVATE kyrel_editor Qt6::Widgets)
