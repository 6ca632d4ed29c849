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
  # The samples of a double-byte code page: Wine takes the code page from the locale
  # named in LC_ALL (no locale of the host need be generated for it). Skipped is failed.
  add_test(NAME export_dbcs COMMAND export_tests --gtest_filter=ReadbackSamples.UnderADoubleByteCodePage)
  set_tests_properties(export_dbcs PROPERTIES
    ENVIRONMENT "LC_ALL=ja_JP.UTF-8"
    FIXTURES_SETUP export_samples
    TIMEOUT 120
    PASS_REGULAR_EXPRESSION "\\[ TABULORIN \\] every test ran and passed"
    FAIL_REGULAR_EXPRESSION "\\[ TABULORIN \\] test program crashed;\\[  SKIPPED \\]")
endif()

# The reference documents of every format, built into export_tests as resources:
# string N names a document, RCDATA N holds its bytes (N from 27001).
file(GLOB EXPORT_REFERENCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/export/reference/*)
if(TARGET export_tests)
  set(_strings "")
  set(_data "")
  set(_id 27001)
  foreach(_file ${EXPORT_REFERENCES})
    get_filename_component(_name ${_file} NAME)
    string(APPEND _strings "  ${_id} \"${_name}\"\n")
    string(APPEND _data "${_id} RCDATA \"${_file}\"\n")
    math(EXPR _id "${_id} + 1")
  endforeach()
  if(_strings)
    set(_rc ${CMAKE_CURRENT_BINARY_DIR}/export_references.rc)
    file(CONFIGURE OUTPUT ${_rc} CONTENT "STRINGTABLE\nBEGIN\n${_strings}END\n${_data}" @ONLY)
    # A changed document rebuilds the resources, though the list names the same files.
    set_source_files_properties(${_rc} PROPERTIES OBJECT_DEPENDS "${EXPORT_REFERENCES}")
    target_sources(export_tests PRIVATE ${_rc})
  endif()
endif()
