# SPDX-License-Identifier: MIT
# What `cmake --install` lays down and `cpack -G DEB` packages
# (VexaroPackage.cmake): the program, its manual page, the public headers and
# the core library with the package files that find_package(vexaro) and
# pkg-config read, the licence and the changelog.
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

target_include_directories(vexaro_core INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

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
