# Installs the build tree into WORK_DIR/prefix, checks the installed files,
# then configures, builds and runs the consumer project against that tree,
# and runs the installed program beside the built one.
# Usage: cmake -DBUILD_DIR=.. -DSOURCE_DIR=.. -DWORK_DIR=.. -DLIBDIR=.. -DCXX=.. -P check_install.cmake
foreach(variable BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR CXX)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
endfunction()

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

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install -B ${WORK_DIR}/consumer
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)

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
