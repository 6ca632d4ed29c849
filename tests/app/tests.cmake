# The print preview's glyphs travel as resources of the program; the test program
# carries them too, so the page buttons find them by name.
target_sources(app_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources/PrintPreview.rc)
