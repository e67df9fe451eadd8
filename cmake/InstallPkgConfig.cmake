# SPDX-License-Identifier: MIT
# Install step for vexaro.pc: its prefix is the one the tree is installed to,
# known only now (`cmake --install --prefix`, or /usr when CPack stages the
# package), so the configured template is filled here. The file is written
# under a name of its own per destination, so installs into two trees at
# once do not race.
string(SHA1 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(staged "${VEXARO_PC_TEMPLATE}.${destination}/vexaro.pc")
set(prefix "${CMAKE_INSTALL_PREFIX}")
configure_file("${VEXARO_PC_TEMPLATE}" "${staged}" @ONLY)
file(INSTALL "${staged}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${VEXARO_PC_DIR}")
