# SPDX-License-Identifier: MIT
# The Debian package. Its version, summary and homepage are the project's;
# the maintainer is whoever builds and distributes it.
set(VEXARO_MAINTAINER "Vexaro developers <maintainers@vexaro.invalid>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vexaro developers")
set(CPACK_PACKAGE_CONTACT "${VEXARO_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vexaro reads its input, cuts it into records (lines, phrases or pseudo\n"
  "records) and writes them so that each record is followed by the most\n"
  "similar one not yet written. The package also holds a C++ library and\n"
  "headers for scoring and ordering records from other programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEXARO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(VEXARO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VEXARO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT VEXARO_SANITIZE)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")  # the program links the C++ runtime in
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
  endif()
endif()
# With the Python module, two packages: vexaro (the program and the C++
# library) and python3-vexaro (the module, in Debian's dist-packages, for
# the interpreter it was built for).
if(VEXARO_PYTHON_MODULE)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Unspecified python)
  set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${PROJECT_NAME})
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-${PROJECT_NAME})
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  math(EXPR next_minor "${Python_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), python3 (<< ${Python_VERSION_MAJOR}.${next_minor})")
  if(NOT VEXARO_DPKG_SHLIBDEPS)
    string(APPEND CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS ", libc6, libgcc-s1, libstdc++6")
  endif()
  # CPack puts the summary first, as each package's synopsis.
  set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  string(CONCAT CPACK_DEBIAN_PYTHON_DESCRIPTION
    "This package holds the Python 3 module vexaro. It scores records, orders\n"
    "lists of them and finds the records of a list most similar to a query,\n"
    "with the results of the vexaro program, from the same C++ library.")
endif()
# The staged tree is fixed up before packing: the manual page compressed,
# Debian's copyright and changelog made from LICENSE and CHANGELOG.md.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStaging.cmake)
include(CPack)
