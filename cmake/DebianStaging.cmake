# SPDX-License-Identifier: MIT
# Runs in CPack after the staging install and turns the installed tree into
# what Debian policy asks of a package: the manual page compressed, and in
# /usr/share/doc/vexaro a copyright file and a changelog.Debian.gz in place
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

file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man1/*.1")
foreach(page IN LISTS pages)
  vexaro_gzip("${page}")
endforeach()

file(GLOB shares LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share")
if(NOT shares)
  message(FATAL_ERROR "no share/ in the staged tree")
endif()
foreach(share IN LISTS shares)
  set(doc "${share}/doc/${CPACK_PACKAGE_NAME}")
  vexaro_debian_copyright("${doc}/LICENSE" "${doc}/copyright" ${CPACK_PACKAGE_NAME}
                          "${CPACK_PACKAGE_HOMEPAGE_URL}")
  vexaro_debian_changelog("${doc}/CHANGELOG.md" "${doc}/changelog.Debian" ${CPACK_PACKAGE_NAME}
                          ${CPACK_PACKAGE_VERSION} ${CPACK_DEBIAN_PACKAGE_RELEASE}
                          "${CPACK_DEBIAN_PACKAGE_MAINTAINER}")
  file(REMOVE "${doc}/LICENSE" "${doc}/CHANGELOG.md")
  vexaro_gzip("${doc}/changelog.Debian")
  file(MAKE_DIRECTORY "${share}/lintian/overrides")
  file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/${CPACK_PACKAGE_NAME}.lintian-overrides"
       "${share}/lintian/overrides/${CPACK_PACKAGE_NAME}")
endforeach()
