# SPDX-License-Identifier: MIT
# Builds the Debian package of the build tree into WORK_DIR, checks that it
# holds the files an install lays down, under /usr, with Debian's copyright
# and changelog, and has lintian check it: any error or warning fails, but
# those about the maintainer's address, a placeholder until a distributor
# sets VEXARO_MAINTAINER.
# Usage: cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DCPACK=.. -DLIBDIR=.. -P check_package.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_common.cmake)
require_variables(BUILD_DIR WORK_DIR CPACK LIBDIR)
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
             usr/${LIBDIR}/cmake/vexaro/vexaroConfig.cmake
             usr/${LIBDIR}/cmake/vexaro/vexaroTargets.cmake usr/${LIBDIR}/pkgconfig/vexaro.pc
             usr/share/doc/vexaro/copyright usr/share/doc/vexaro/changelog.Debian.gz)
  string(FIND "${contents}" "./${file}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${file} is not in the package:\n${contents}")
  endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} -f ${package} Package Version Maintainer Depends
                OUTPUT_VARIABLE fields)
message(STATUS "package ${package}\n${fields}")

# The files whose content the package itself depends on.
set(root ${WORK_DIR}/root)
execute_process(COMMAND ${DPKG_DEB} -x ${package} ${root})
execute_process(COMMAND ${DPKG_DEB} -f ${package} Version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND gzip -dc ${root}/usr/share/doc/vexaro/changelog.Debian.gz
                OUTPUT_VARIABLE changelog)
if(NOT changelog MATCHES "^vexaro \\(${version}\\) ")
  message(FATAL_ERROR "the changelog's newest entry is not version ${version}:\n${changelog}")
endif()
file(READ ${root}/usr/${LIBDIR}/pkgconfig/vexaro.pc pc)
if(NOT pc MATCHES "\nprefix=/usr\n")
  message(FATAL_ERROR "vexaro.pc does not name the package's prefix /usr:\n${pc}")
endif()

find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message(STATUS "lintian is not installed: the package is not checked by it")
  return()
endif()
execute_process(COMMAND ${LINTIAN} --fail-on none ${package} RESULT_VARIABLE status
                OUTPUT_VARIABLE said ERROR_VARIABLE errors)
message(STATUS "lintian said:\n${said}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian could not check ${package}")
endif()
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" complaints "${said}")
list(TRANSFORM complaints STRIP)
list(FILTER complaints EXCLUDE REGEX "maintainer-address|@[^ ]*\\.invalid")
if(complaints)
  list(JOIN complaints "\n" complaints)
  message(FATAL_ERROR "lintian found errors or warnings:\n${complaints}")
endif()
