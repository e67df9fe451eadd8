# SPDX-License-Identifier: MIT
# Installs the build tree into WORK_DIR/prefix, checks the installed files,
# then configures, builds and runs the consumer project against that tree,
# and runs the installed program beside the built one.
# Usage: cmake -DBUILD_DIR=.. -DSOURCE_DIR=.. -DWORK_DIR=.. -DLIBDIR=.. -DCXX=.. -P check_install.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_common.cmake)
require_variables(BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR CXX)


set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(file bin/vexaro share/man/man1/vexaro.1 include/vexaro/vexaro.h
             ${LIBDIR}/cmake/vexaro/vexaroConfig.cmake ${LIBDIR}/cmake/vexaro/vexaroConfigVersion.cmake
             ${LIBDIR}/pkgconfig/vexaro.pc share/doc/vexaro/LICENSE share/doc/vexaro/CHANGELOG.md)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# The README's complete program, pasted into a file as a user would, and
# the output the README shows under it.
file(READ ${SOURCE_DIR}/README.md readme)
string(REGEX MATCH "```cpp\n(#include <vexaro/vexaro.h>[^`]*int main\\(\\)[^`]*)```\n[^`]*```text\n([^`]*)```"
       found "${readme}")
if(NOT found)
  message(FATAL_ERROR "README.md shows no complete program with its output")
endif()
set(readme_output "${CMAKE_MATCH_2}")
file(WRITE ${WORK_DIR}/readme_example.cpp "${CMAKE_MATCH_1}")

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install -B ${WORK_DIR}/consumer
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
    -DEXAMPLES_DIR=${SOURCE_DIR}/examples -DREADME_EXAMPLE=${WORK_DIR}/readme_example.cpp)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)

execute_process(COMMAND ${WORK_DIR}/consumer/readme_example OUTPUT_VARIABLE out
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL readme_output)
  message(FATAL_ERROR "the README's program printed (${status}):\n${out}\nnot:\n${readme_output}")
endif()

# The examples built against the install write what the tree's own build does.
function(example_output program result)
  execute_process(COMMAND ${program} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE out
                  RESULT_VARIABLE status)
  set(${result} "${status}:${out}" PARENT_SCOPE)
endfunction()
foreach(example match lookup)
  if(example STREQUAL "match")
    set(arguments "Jon Smith" 500 INPUT_FILE ${SOURCE_DIR}/examples/names.txt)
    set(expected "^0:best: ")
  else()
    set(arguments ${SOURCE_DIR}/examples/names.txt 3 INPUT_FILE ${SOURCE_DIR}/examples/surnames.txt)
    set(expected "^0:Smith\n  [ 0-9]+ ")
  endif()
  example_output(${WORK_DIR}/consumer/vexaro_${example} installed ${arguments})
  example_output(${BUILD_DIR}/vexaro_${example} built ${arguments})
  if(NOT installed STREQUAL built OR NOT installed MATCHES "${expected}")
    message(FATAL_ERROR "the installed tree's ${example} differs:\n${installed}\n---\n${built}")
  endif()
endforeach()

# The installed program writes what the built one writes.
function(program_output program result)
  execute_process(COMMAND ${program} -d INPUT_FILE ${SOURCE_DIR}/examples/names.txt
                  OUTPUT_VARIABLE out ERROR_QUIET RESULT_VARIABLE status)
  set(${result} "${status}:${out}" PARENT_SCOPE)
endfunction()
program_output(${prefix}/bin/vexaro installed)
program_output(${BUILD_DIR}/vexaro built)
if(NOT installed STREQUAL built)
  message(FATAL_ERROR "installed and built programs differ:\n${installed}\n---\n${built}")
endif()
message(STATUS "install tree and consumer project work")
