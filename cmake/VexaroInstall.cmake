# SPDX-License-Identifier: MIT
# What `cmake --install` lays down and `cpack -G DEB` packages: the program,
# its manual page, the public headers and the core library with the package
# files that find_package(vexaro) and pkg-config read, the licence and the
# changelog.
# Debian and its kin keep architecture-dependent files (the library, its
# CMake and pkg-config files) in a multiarch directory such as
# lib/x86_64-linux-gnu, under any prefix; GNUInstallDirs picks it only for
# /usr, and the package is staged from the build's own install rules.
if(CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH
      "Object code libraries (lib/${CMAKE_LIBRARY_ARCHITECTURE})")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(vexaro_core PROPERTIES EXPORT_NAME vexaro)
target_include_directories(vexaro_core INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# The public headers need C++17; the library itself is built as C++20.
target_compile_features(vexaro_core INTERFACE cxx_std_17)
if(VEXARO_SANITIZE)
  # A sanitized library links only into a program that carries the runtimes.
  target_link_options(vexaro_core INTERFACE
    $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
endif()

set(VEXARO_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vexaro)

install(TARGETS vexaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vexaro_core EXPORT vexaroTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/vexaro DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES docs/vexaro.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(EXPORT vexaroTargets NAMESPACE vexaro:: DESTINATION ${VEXARO_CONFIG_DIR})
install(FILES LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# vexaro.pc: all but the prefix now, the prefix at install time. A sanitized
# library links only with the runtimes, as for the CMake package above.
set(VEXARO_PC_LINK_FLAGS "")
if(VEXARO_SANITIZE)
  set(VEXARO_PC_LINK_FLAGS " -fsanitize=address,undefined")
endif()
set(prefix "@prefix@")
configure_file(cmake/vexaro.pc.in vexaro.pc.in @ONLY)
unset(prefix)
install(CODE "set(VEXARO_PC_TEMPLATE \"${CMAKE_CURRENT_BINARY_DIR}/vexaro.pc.in\")
              set(VEXARO_PC_DIR \"${CMAKE_INSTALL_LIBDIR}/pkgconfig\")")
install(SCRIPT cmake/InstallPkgConfig.cmake)

configure_package_config_file(cmake/vexaroConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vexaroConfig.cmake
  INSTALL_DESTINATION ${VEXARO_CONFIG_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vexaroConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vexaroConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/vexaroConfigVersion.cmake
        DESTINATION ${VEXARO_CONFIG_DIR})

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
# The staged tree is fixed up before packing: the manual page compressed,
# Debian's copyright and changelog made from LICENSE and CHANGELOG.md.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStaging.cmake)
include(CPack)
