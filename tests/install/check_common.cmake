# SPDX-License-Identifier: MIT
# What the install, pkg-config and package checks share: the variables a
# check is given, and running a command that must succeed.

# Stops the check when one of the named variables is not set.
function(require_variables)
  foreach(variable ${ARGN})
    if(NOT DEFINED ${variable})
      message(FATAL_ERROR "${variable} is not set")
    endif()
  endforeach()
endfunction()

# Runs the command, and stops the check with its output when it fails; the
# output goes into the log either way.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  string(JOIN " " command ${ARGN})
  message(STATUS "${command}\n${out}")
endfunction()
