# SPDX-License-Identifier: MIT
# The hardening Debian builds its packages with, which lintian looks for in
# the program: libc calls checked against the object sizes the compiler
# knows (_FORTIFY_SOURCE; it needs optimization, so only in the optimized
# build types, and the sanitizers check more), and all relocations resolved
# at start-up, so that the whole GOT is read-only (-z now; with the C++
# runtime linked in, only the few libc symbols are bound early). Given to
# this project's own targets through vexaro_build_options.
if(NOT VEXARO_SANITIZE AND NOT VEXARO_BUILD_FUZZERS)
  target_compile_options(vexaro_build_options INTERFACE
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
target_link_options(vexaro_build_options INTERFACE -Wl,-z,relro,-z,now)
