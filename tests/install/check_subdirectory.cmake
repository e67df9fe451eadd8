# SPDX-License-Identifier: MIT
# Configures and builds the host project in host/, which embeds the source
# tree by add_subdirectory, runs its program, and checks what the host got:
# include/ on its include path and src/ not (one internal header fails to
# compile), none of Vexaro's flags on its own code, and no install rules or
# package configuration of Vexaro's.
# Usage: cmake -DSOURCE_DIR=.. -DWORK_DIR=.. -DCXX=.. -P check_subdirectory.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_common.cmake)
require_variables(SOURCE_DIR WORK_DIR CXX)

file(REMOVE_RECURSE ${WORK_DIR})
# An internal header, whichever sorts first, so that no rename breaks this.
file(GLOB_RECURSE headers RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h)
list(SORT headers)
list(GET headers 0 internal)
file(WRITE ${WORK_DIR}/probe.cpp "#include \"${internal}\"\nint main() { return 0; }\n")

set(build ${WORK_DIR}/build)
run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/host -B ${build} -DCMAKE_CXX_COMPILER=${CXX}
    -DVEXARO_SOURCE_DIR=${SOURCE_DIR} -DINTERNAL_PROBE=${WORK_DIR}/probe.cpp)
run(${CMAKE_COMMAND} --build ${build} --target host -j2)
run(${build}/host)

execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target internal_header_probe
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0 OR NOT out MATCHES "${internal}: No such file")
  message(FATAL_ERROR "the host reaches the internal header ${internal} (${status}):\n${out}")
endif()

file(READ ${build}/host_flags.txt flags)
message(STATUS "the host's program is built with\n${flags}")
if(NOT flags MATCHES "include directories: [^\n]*${SOURCE_DIR}/include")
  message(FATAL_ERROR "the host does not see ${SOURCE_DIR}/include")
endif()
foreach(leak "${SOURCE_DIR}/src" -Werror -march -Wall _FORTIFY_SOURCE VEXARO_ASSERTIONS relro)
  string(FIND "${flags}" "${leak}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the host's own program gets ${leak}")
  endif()
endforeach()

if(EXISTS ${build}/CPackConfig.cmake)
  message(FATAL_ERROR "the embedded Vexaro configured CPack for the host")
endif()
run(${CMAKE_COMMAND} --install ${build} --prefix ${WORK_DIR}/prefix)
file(GLOB_RECURSE installed ${WORK_DIR}/prefix/*)
if(installed)
  message(FATAL_ERROR "the host's install lays down Vexaro's files: ${installed}")
endif()
message(STATUS "a host project embeds Vexaro by add_subdirectory")
