# Builds the Debian package of the build tree into WORK_DIR and checks that it
# holds the files an install lays down, under /usr.
# Usage: cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DCPACK=.. -P check_package.cmake
foreach(variable BUILD_DIR WORK_DIR CPACK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()
find_program(DPKG_DEB dpkg-deb REQUIRED)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB package ${WORK_DIR}/*.deb)
list(LENGTH package count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK_DIR}, found: ${package}")
endif()

execute_process(COMMAND ${DPKG_DEB} -c ${package} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb cannot list ${package}")
endif()
foreach(file usr/bin/vexaro usr/share/man/man1/vexaro.1.gz usr/include/vexaro/vexaro.h
             usr/lib/cmake/vexaro/vexaroConfig.cmake usr/lib/cmake/vexaro/vexaroTargets.cmake)
  string(FIND "${contents}" "./${file}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${file} is not in the package:\n${contents}")
  endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} -f ${package} Package Version Depends
                OUTPUT_VARIABLE fields)
message(STATUS "package ${package}\n${fields}")
