# The file list's sort arrows travel as resources of the program; the test program
# carries them too, so the list finds them by name.
target_sources(shell_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources/ZemFileList.rc)
