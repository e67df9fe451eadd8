# SPDX-License-Identifier: MIT
# Fails when groff warns about the manual page, or when man cannot render it.
# Usage: cmake -DPAGE=vexaro.1 -DGROFF=/usr/bin/groff [-DMAN=/usr/bin/man] -P check_manpage.cmake
if(NOT GROFF)
  message(FATAL_ERROR "groff not found: install groff-base")
endif()
execute_process(COMMAND ${GROFF} -man -ww -Tutf8 ${PAGE}
                OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff -man -ww on ${PAGE} (status ${status}):\n${warnings}")
endif()

if(MAN)
  set(ENV{MANWIDTH} 80)
  execute_process(COMMAND ${MAN} -l ${PAGE} OUTPUT_VARIABLE page ERROR_VARIABLE warnings
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "" OR NOT page MATCHES "SYNOPSIS")
    message(FATAL_ERROR "man -l ${PAGE} (status ${status}):\n${warnings}")
  endif()
endif()
