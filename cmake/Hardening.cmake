# SPDX-License-Identifier: MIT
# The hardening Debian builds its packages with, which lintian looks for in
# the program: libc calls checked against the object sizes the compiler
# knows (_FORTIFY_SOURCE; it needs optimization, so not in Debug builds, and
# the sanitizers check more), and all relocations resolved at start-up, so
# that the whole GOT is read-only (-z now; with the C++ runtime linked in,
# only the few libc symbols are bound early).
if(NOT VEXARO_SANITIZE AND NOT VEXARO_BUILD_FUZZERS)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
add_link_options(-Wl,-z,relro,-z,now)
