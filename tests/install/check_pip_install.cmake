# SPDX-License-Identifier: MIT
# pip installs the package from the source tree into a virtual environment
# of PYTHON that sees the system's packages, without downloading anything,
# building the module in BUILD_DIR; the environment's interpreter then
# imports it from there and scores with it.
# Usage: cmake -DSOURCE_DIR=.. -DBUILD_DIR=.. -DWORK_DIR=.. -DPYTHON=.. -P check_pip_install.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_common.cmake)
require_variables(SOURCE_DIR BUILD_DIR WORK_DIR PYTHON)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${PYTHON} -m venv --system-site-packages ${WORK_DIR}/env
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(STATUS "python3-venv is not installed:\n${out}")
  return()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env VEXARO_BUILD_DIR=${BUILD_DIR}
                        ${WORK_DIR}/env/bin/pip install --no-build-isolation --no-index
                        --no-cache-dir ${SOURCE_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pip install failed:\n${out}")
endif()
execute_process(COMMAND ${WORK_DIR}/env/bin/python -I -c
                        "import vexaro; print(vexaro.__file__, vexaro.score('Hello World', 'hello word'))"
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE said
                ERROR_VARIABLE said)
if(NOT status EQUAL 0 OR NOT said MATCHES "^${WORK_DIR}/env/lib/python[0-9.]+/site-packages/vexaro/__init__.py 842\n$")
  message(FATAL_ERROR "the installed package does not import and score:\n${said}")
endif()
