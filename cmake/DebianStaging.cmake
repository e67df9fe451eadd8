# SPDX-License-Identifier: MIT
# Runs in CPack after the staging install and turns the installed tree into
# what Debian policy asks of a package: the manual page compressed, and in
# each package's /usr/share/doc/PACKAGE a copyright file and a changelog.Debian.gz in place
# of the LICENSE and CHANGELOG.md that a plain install leaves there, and the
# lintian overrides, each with its reason. gzip -9n stores no name or time
# stamp, so that the package is reproducible.
include(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)

function(vexaro_gzip file)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${file}")
  endif()
endfunction()

# The prefix's folder stands right under the staged tree, or under each
# component's folder in it.
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB pages "${staged}/*/share/man/man1/*.1" "${staged}/*/*/share/man/man1/*.1")
foreach(page IN LISTS pages)
  vexaro_gzip("${page}")
endforeach()

# Each package's documentation folder.
file(GLOB licences "${staged}/*/share/doc/*/LICENSE" "${staged}/*/*/share/doc/*/LICENSE")
if(NOT licences)
  message(FATAL_ERROR "no share/doc/*/LICENSE in the staged tree")
endif()
file(READ "${CMAKE_CURRENT_LIST_DIR}/${CPACK_PACKAGE_NAME}.lintian-overrides" overrides)
foreach(licence IN LISTS licences)
  get_filename_component(doc "${licence}" DIRECTORY)
  get_filename_component(package "${doc}" NAME)
  get_filename_component(share "${doc}/../.." ABSOLUTE)
  vexaro_debian_copyright("${doc}/LICENSE" "${doc}/copyright" ${CPACK_PACKAGE_NAME}
                          "${CPACK_PACKAGE_HOMEPAGE_URL}")
  vexaro_debian_changelog("${doc}/CHANGELOG.md" "${doc}/changelog.Debian" ${CPACK_PACKAGE_NAME}
                          ${CPACK_PACKAGE_VERSION} ${CPACK_DEBIAN_PACKAGE_RELEASE}
                          "${CPACK_DEBIAN_PACKAGE_MAINTAINER}")
  file(REMOVE "${doc}/LICENSE" "${doc}/CHANGELOG.md")
  vexaro_gzip("${doc}/changelog.Debian")
  file(MAKE_DIRECTORY "${share}/lintian/overrides")
  string(REGEX REPLACE "(^|\n)${CPACK_PACKAGE_NAME}:" "\\1${package}:" package_overrides
         "${overrides}")
  file(WRITE "${share}/lintian/overrides/${package}" "${package_overrides}")
endforeach()
