# The controls' bitmaps travel as resources of the program; the test program
# carries them too, so the font combo box finds its glyphs by name.
target_sources(controls_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources/VxFontComboBox.rc)
