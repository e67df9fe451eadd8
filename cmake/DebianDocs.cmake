# SPDX-License-Identifier: MIT
# Debian's documentation files, made from the project's own so that they never
# drift apart: LICENSE becomes the machine-readable copyright file, and
# CHANGELOG.md the changelog.Debian. Used by DebianStaging.cmake.

# The copyright file (DEP-5 format) for the MIT licence text in `license`.
# Debian calls this licence "Expat", the name its format reserves for it.
function(vexaro_debian_copyright license output package source)
  file(READ "${license}" text)
  if(NOT text MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "${license}: no 'Copyright (c) ...' line before the licence text")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  set(body "${CMAKE_MATCH_2}")
  string(REPLACE "\n\n" "\n.\n" body "${body}")
  string(REPLACE "\n" "\n " body "${body}")
  file(WRITE "${output}"
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: ${package}\n"
    "Source: ${source}\n\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: Expat\n"
    " ${body}\n")
endfunction()

# "Tue, 08 Dec 2026 00:00:00 +0000" for the day "2026-12-08", as Debian's
# changelog trailer wants it (the weekday by Sakamoto's method).
function(vexaro_debian_date day out)
  if(NOT day MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "not a YYYY-MM-DD day: ${day}")
  endif()
  set(year ${CMAKE_MATCH_1})
  math(EXPR month "${CMAKE_MATCH_2} - 1")
  set(date ${CMAKE_MATCH_3})
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  list(GET offsets ${month} offset)
  set(y ${year})
  if(month LESS 2)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${date}) % 7")
  set(days Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET days ${weekday} day_name)
  list(GET months ${month} month_name)
  set(${out} "${day_name}, ${date} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# One changelog.Debian entry from the "- " items of a CHANGELOG.md entry.
function(vexaro_debian_entry items package version maintainer day out)
  string(REGEX REPLACE "\n\n+" "\n" items "\n${items}")
  string(REGEX REPLACE "\n+$" "" items "${items}")
  string(REPLACE "\n  " "\n    " items "${items}")
  string(REPLACE "\n- " "\n  * " items "${items}")
  if(items STREQUAL "" OR items MATCHES "\n[^ ]")
    message(FATAL_ERROR "CHANGELOG.md ${version}: every line must be a '- ' item or its continuation")
  endif()
  string(SUBSTRING "${items}" 1 -1 items)
  vexaro_debian_date(${day} date)
  set(${out}
    "${package} (${version}) unstable; urgency=medium\n\n${items}\n\n -- ${maintainer}  ${date}\n"
    PARENT_SCOPE)
endfunction()

# changelog.Debian from CHANGELOG.md: one entry per "## VERSION (YYYY-MM-DD)"
# heading, each version with the Debian revision `release`. The newest entry
# must be `version`, so that a release cannot ship last release's notes.
function(vexaro_debian_changelog markdown output package version release maintainer)
  file(READ "${markdown}" text)
  set(entries "")
  set(newest "")
  while(text MATCHES "\n## ([^ \n]+) \\(([0-9-]+)\\)\n(.*)$")
    set(entry_version ${CMAKE_MATCH_1})
    set(day ${CMAKE_MATCH_2})
    set(text "${CMAKE_MATCH_3}")
    string(FIND "${text}" "\n## " next)
    string(SUBSTRING "${text}" 0 ${next} items)
    if(next EQUAL -1)
      set(text "")
    else()
      string(SUBSTRING "${text}" ${next} -1 text)
    endif()
    if(newest STREQUAL "")
      set(newest ${entry_version})
    else()
      string(APPEND entries "\n")
    endif()
    vexaro_debian_entry("${items}" ${package} ${entry_version}-${release} "${maintainer}" ${day} entry)
    string(APPEND entries "${entry}")
  endwhile()
  if(NOT newest STREQUAL version)
    message(FATAL_ERROR "${markdown}: the newest entry is '${newest}', not this version, ${version}")
  endif()
  file(WRITE "${output}" "${entries}")
endfunction()
