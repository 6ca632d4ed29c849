# The main window's saved documents read back by the export tests' host readers:
# app_tests saves them (fixture setup), readback_app.py reads them.
find_program(APP_READBACK_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT APP_READBACK_PYTHON)
  find_program(APP_READBACK_PYTHON NAMES python3)
endif()
if(TEST app AND APP_READBACK_PYTHON)
  set_tests_properties(app PROPERTIES FIXTURES_SETUP app_samples)
  add_test(NAME app_readback COMMAND ${APP_READBACK_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/app/readback_app.py)
  set_tests_properties(app_readback PROPERTIES FIXTURES_REQUIRED app_samples TIMEOUT 300)
endif()
