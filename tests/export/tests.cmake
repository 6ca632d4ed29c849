# export_tests writes the sample documents (fixture setup); readback.py reads them back
# with independent host programs. Debian's own python3 has the readers installed.
find_program(EXPORT_READBACK_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT EXPORT_READBACK_PYTHON)
  find_program(EXPORT_READBACK_PYTHON NAMES python3)
endif()
if(TEST export AND EXPORT_READBACK_PYTHON)
  set_tests_properties(export PROPERTIES FIXTURES_SETUP export_samples)
  add_test(NAME export_readback
           COMMAND ${EXPORT_READBACK_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/export/readback.py)
  set_tests_properties(export_readback PROPERTIES FIXTURES_REQUIRED export_samples TIMEOUT 300)
endif()
