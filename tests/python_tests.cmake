# Sets |out| to the test ids that the Python test script |script| prints with --list, one a line,
# and configures again when the script or any further file named changes.
function(list_python_tests out script)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${script} --list
                  OUTPUT_VARIABLE ids RESULT_VARIABLE listed)
  if(NOT listed EQUAL 0)
    message(FATAL_ERROR "could not list the tests of ${script}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script} ${ARGN})
  string(REPLACE "\n" ";" ids "${ids}")
  list(FILTER ids EXCLUDE REGEX "^$")
  set(${out} ${ids} PARENT_SCOPE)
endfunction()
