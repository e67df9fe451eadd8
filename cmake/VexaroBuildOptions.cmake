# SPDX-License-Identifier: MIT
# The flags this project builds its own targets with, and the internal
# include path, as two interface libraries that only this project's targets
# link and that are never exported: a project that embeds Vexaro gets
# neither -Werror nor -march on its own code, and sees only include/.

# Warnings (as errors where Vexaro is the top-level project: a host project
# may use a newer compiler that warns of more), the sanitizers, the
# instruction set and the hardening.
set(VEXARO_WARNINGS -Wall -Wextra)
if(VEXARO_WERROR)
  list(APPEND VEXARO_WARNINGS -Werror)
endif()
add_library(vexaro_build_options INTERFACE)
target_compile_options(vexaro_build_options INTERFACE ${VEXARO_WARNINGS})
if(VEXARO_SANITIZE)
  target_compile_options(vexaro_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
    # The instrumentation makes g++ 12 warn falsely inside <regex> and <functional>.
    -Wno-maybe-uninitialized)
  target_link_options(vexaro_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# The candidate bounds count bits in every pair: use the POPCNT instruction
# (x86-64 processors since about 2009 have it) instead of a library call.
include(CheckCXXCompilerFlag)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  check_cxx_compiler_flag(-march=x86-64-v2 VEXARO_HAVE_X86_64_V2)
  if(VEXARO_HAVE_X86_64_V2)
    target_compile_options(vexaro_build_options INTERFACE -march=x86-64-v2)
  endif()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Hardening.cmake)

# The internal headers, for the layers, the tests and the benchmarks: src/
# beside include/, and the preconditions of src/common/check.h switched on
# where VEXARO_ASSERTIONS asks for them.
add_library(vexaro_internal INTERFACE)
target_include_directories(vexaro_internal INTERFACE
  ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(vexaro_internal INTERFACE vexaro_build_options)
string(TOUPPER "${VEXARO_ASSERTIONS}" assertions)
if(assertions STREQUAL "AUTO")
  target_compile_definitions(vexaro_internal INTERFACE $<$<CONFIG:Debug>:VEXARO_ASSERTIONS=1>)
elseif(assertions MATCHES "^(ON|1|TRUE|YES)$")
  target_compile_definitions(vexaro_internal INTERFACE VEXARO_ASSERTIONS=1)
elseif(NOT assertions MATCHES "^(OFF|0|FALSE|NO)$")
  message(FATAL_ERROR "VEXARO_ASSERTIONS is AUTO, ON or OFF, not '${VEXARO_ASSERTIONS}'")
endif()
