# SPDX-License-Identifier: MIT
# Installs the build tree into WORK_DIR/prefix and builds the one-file
# consumer the way a project with a plain Makefile would, with the flags
# pkg-config gives for vexaro (the library is static, so they must carry
# everything it links with), then runs it.
# Usage: cmake -DBUILD_DIR=.. -DSOURCE_DIR=.. -DWORK_DIR=.. -DLIBDIR=.. -DCXX=.. -P check_pkg_config.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_common.cmake)
require_variables(BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR CXX)
find_program(PKG_CONFIG pkg-config)
if(NOT PKG_CONFIG)
  message(STATUS "pkg-config is not installed: not checked")
  return()
endif()


set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(${PKG_CONFIG} --print-errors --validate vexaro)
run(sh -c "${CXX} -std=c++17 -Wall -Wextra -Wpedantic -Werror '${SOURCE_DIR}/tests/install/consumer.cpp' \
$(${PKG_CONFIG} --cflags --libs vexaro) -o '${WORK_DIR}/consumer'")
run(${WORK_DIR}/consumer)
