# SPDX-License-Identifier: MIT
# The layers of the code, one folder of src/ each, lowest first, with the
# layers each one stands on directly. The build links each layer's library
# to these and nothing else, and scripts/check_layers.cmake fails when an
# include points anywhere but down this graph; both read this file, so the
# two cannot drift apart.
set(VEXARO_LAYERS common records scoring engine ordering api cli)
set(VEXARO_LAYER_common_USES "")
set(VEXARO_LAYER_records_USES common)
set(VEXARO_LAYER_scoring_USES records)
set(VEXARO_LAYER_engine_USES scoring)
# The ordering drives any row search through the contract in scoring, so it
# never sees the engine that implements it.
set(VEXARO_LAYER_ordering_USES scoring)
set(VEXARO_LAYER_api_USES engine ordering)
# The program is no client of the library: it runs the ordering itself.
set(VEXARO_LAYER_cli_USES engine ordering)
# The layers whose files may include the public header include/vexaro/vexaro.h,
# which itself includes nothing from src/.
set(VEXARO_PUBLIC_HEADER_USERS api)

# Every layer `layer` stands on, directly or through another, lowest first,
# into `out`.
function(vexaro_layers_below layer out)
  set(reached "")
  foreach(used IN LISTS VEXARO_LAYER_${layer}_USES)
    vexaro_layers_below(${used} deeper)
    list(APPEND reached ${used} ${deeper})
  endforeach()
  set(below "")
  foreach(candidate IN LISTS VEXARO_LAYERS)
    if(candidate IN_LIST reached)
      list(APPEND below ${candidate})
    endif()
  endforeach()
  set(${out} "${below}" PARENT_SCOPE)
endfunction()
