# SPDX-License-Identifier: MIT
# Builds the Debian package of the build tree into WORK_DIR, checks that it
# holds the files an install lays down, under /usr, with Debian's copyright
# and changelog, and has lintian check it: any error or warning fails, but
# those about the maintainer's address, a placeholder until a distributor
# sets VEXARO_MAINTAINER. With PYTHON (the interpreter the module is built
# for), the package python3-vexaro too: its files, an import of the module
# from its dist-packages, and lintian's view of it.
# Usage: cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DCPACK=.. -DLIBDIR=.. [-DPYTHON=..] -P check_package.cmake
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
file(GLOB package ${WORK_DIR}/vexaro_*.deb)
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

function(check_by_lintian package)
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
endfunction()

if(PYTHON)
  file(GLOB python_package ${WORK_DIR}/python3-vexaro_*.deb)
  if(NOT python_package)
    message(FATAL_ERROR "no python3-vexaro package in ${WORK_DIR}")
  endif()
  set(python_root ${WORK_DIR}/python-root)
  execute_process(COMMAND ${DPKG_DEB} -x ${python_package} ${python_root})
  set(site ${python_root}/usr/lib/python3/dist-packages)
  foreach(file vexaro/__init__.py vexaro/__init__.pyi vexaro/py.typed
               ../../../share/doc/python3-vexaro/copyright)
    if(NOT EXISTS ${site}/${file})
      message(FATAL_ERROR "${file} is not in ${python_package}")
    endif()
  endforeach()
  execute_process(COMMAND ${PYTHON} -I -c
                          "import sys; sys.path.insert(0, '${site}'); import vexaro; print(vexaro.__file__, vexaro.score('Hello World', 'hello word'))"
                  RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(NOT status EQUAL 0 OR NOT said MATCHES "^${site}/vexaro/__init__.py 842\n$")
    message(FATAL_ERROR "the packaged module does not import and score:\n${said}")
  endif()
  check_by_lintian(${python_package})
endif()
check_by_lintian(${package})
