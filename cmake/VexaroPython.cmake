# SPDX-License-Identifier: MIT
# Whether the Python module (python/) is built, and for which interpreter.
# VEXARO_BUILD_PYTHON: AUTO builds it when pybind11's CMake package and the
# interpreter's headers are found (Debian: pybind11-dev, python3-dev), in a
# top-level build without the sanitizers or the fuzzers, whose runtimes an
# interpreter does not load; ON requires it; OFF never builds it.
# The interpreter is Debian's /usr/bin/python3 where it exists, the one whose
# dist-packages the Debian package installs into; pass
# -DPython_EXECUTABLE=/path/to/python3 for another (it needs its headers;
# pybind11's headers and CMake package may come from Debian's pybind11-dev).
set(VEXARO_BUILD_PYTHON AUTO CACHE STRING
    "Build the Python module: AUTO (when pybind11 and Python's headers are found), ON or OFF")
set_property(CACHE VEXARO_BUILD_PYTHON PROPERTY STRINGS AUTO ON OFF)
string(TOUPPER "${VEXARO_BUILD_PYTHON}" vexaro_python)
if(NOT vexaro_python MATCHES "^(AUTO|ON|1|TRUE|YES|OFF|0|FALSE|NO)$")
  message(FATAL_ERROR "VEXARO_BUILD_PYTHON is AUTO, ON or OFF, not '${VEXARO_BUILD_PYTHON}'")
endif()

set(VEXARO_PYTHON_MODULE OFF)
if(vexaro_python STREQUAL "AUTO" AND
   (NOT PROJECT_IS_TOP_LEVEL OR VEXARO_SANITIZE OR VEXARO_BUILD_FUZZERS))
  set(vexaro_python OFF)
endif()
if(NOT vexaro_python MATCHES "^(OFF|0|FALSE|NO)$")
  if(vexaro_python STREQUAL "AUTO")
    set(vexaro_quiet QUIET)
  else()
    set(vexaro_quiet REQUIRED)
  endif()
  if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python_EXECUTABLE /usr/bin/python3 CACHE FILEPATH
        "The Python interpreter the module is built for")
  endif()
  find_package(Python 3.8 ${vexaro_quiet} COMPONENTS Interpreter Development.Module)
  if(Python_FOUND)
    set(PYBIND11_FINDPYTHON ON)
    find_package(pybind11 2.6 CONFIG ${vexaro_quiet})
  endif()
  if(Python_FOUND AND pybind11_FOUND)
    set(VEXARO_PYTHON_MODULE ON)
    message(STATUS "Python module: for ${Python_EXECUTABLE} (${Python_VERSION}), "
                   "pybind11 ${pybind11_VERSION}")
  else()
    message(STATUS "Python module: not built (on Debian: apt-get install pybind11-dev "
                   "python3-dev; VEXARO_BUILD_PYTHON=ON says what is missing)")
  endif()
endif()

# The module links the library's objects into a shared object, so they are
# made position-independent; the program reads the same code, and without
# interposition of its own functions it inlines as before.
if(VEXARO_PYTHON_MODULE)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fno-semantic-interposition)
endif()
