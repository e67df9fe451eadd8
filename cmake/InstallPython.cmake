# SPDX-License-Identifier: MIT
# Installs the Python package where its interpreter reads it, which depends
# on the prefix, known only now (cpack installs into /usr): Debian's
# interpreter reads the packages of /usr from lib/python3/dist-packages and
# those of other prefixes from lib/python3.X/dist-packages, the others from
# lib/python3.X/site-packages (VEXARO_PYTHON_SITE). VEXARO_PYTHON_DIR, when
# set, says where instead. The module is stripped as install(TARGETS) would.
set(python_dir "${VEXARO_PYTHON_DIR}")
if(python_dir STREQUAL "" AND CMAKE_INSTALL_PREFIX STREQUAL "/usr"
   AND VEXARO_PYTHON_SITE MATCHES "dist-packages$")
  set(python_dir lib/python3/dist-packages)
elseif(python_dir STREQUAL "")
  set(python_dir ${VEXARO_PYTHON_SITE})
endif()
if(NOT IS_ABSOLUTE "${python_dir}")
  set(python_dir "${CMAKE_INSTALL_PREFIX}/${python_dir}")
endif()
file(INSTALL ${VEXARO_PYTHON_FILES} DESTINATION "${python_dir}/vexaro")
if(CMAKE_INSTALL_DO_STRIP)
  list(GET VEXARO_PYTHON_FILES -1 module)
  get_filename_component(module "${module}" NAME)
  execute_process(COMMAND "${VEXARO_PYTHON_STRIP}" --strip-unneeded
                  "$ENV{DESTDIR}${python_dir}/vexaro/${module}")
endif()
