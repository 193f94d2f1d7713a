# The layers' include roots, checked from each layer's side: a header of a layer below compiles
# with the layer's own include directories, a header of a layer above or beside is not found.
# Each probe is one translation unit holding a single include, checked by the compiler alone.
function(meldrix_layer_probe layer header expect)
  string(MAKE_C_IDENTIFIER "${layer}_${header}" probe)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/layer_probes/${probe}.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  get_target_property(type meldrix_${layer} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(includes $<TARGET_PROPERTY:meldrix_${layer},INTERFACE_INCLUDE_DIRECTORIES>)
  else()
    set(includes $<TARGET_PROPERTY:meldrix_${layer},INCLUDE_DIRECTORIES>)
  endif()
  add_test(NAME layers.${layer}.${expect}.${header}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only "-I$<JOIN:${includes},;-I>" ${source}
    COMMAND_EXPAND_LISTS)
  if(expect STREQUAL "hidden")
    # Not found, and for that reason alone: any other error fails the probe.
    set_tests_properties(layers.${layer}.${expect}.${header} PROPERTIES
      PASS_REGULAR_EXPRESSION "${header}: No such file or directory|'${header}' file not found")
  endif()
endfunction()

function(meldrix_layer_sees layer)
  foreach(header ${ARGN})
    meldrix_layer_probe(${layer} ${header} sees)
  endforeach()
endfunction()

function(meldrix_layer_hides layer)
  foreach(header ${ARGN})
    meldrix_layer_probe(${layer} ${header} hidden)
  endforeach()
endfunction()

meldrix_layer_sees(platform   platform/machine.h)
meldrix_layer_hides(platform  panel/panel.h board/board.h buffers/buffers.h sim/sim_board.h)
meldrix_layer_sees(panel     panel/panel.h)
meldrix_layer_hides(panel     platform/port_io.h board/board.h)
meldrix_layer_sees(board      platform/machine.h panel/panel.h)
meldrix_layer_hides(board     buffers/buffers.h devices/catalogue.h operations/programmer.h
                              sim/sim_board.h)
meldrix_layer_sees(buffers    platform/files.h)
meldrix_layer_hides(buffers   panel/panel.h board/board.h devices/catalogue.h)
meldrix_layer_sees(devices    buffers/buffers.h board/board.h)
meldrix_layer_hides(devices   operations/programmer.h sim/sim_board.h)
meldrix_layer_sees(romlists   buffers/checksums.h platform/files.h)
meldrix_layer_hides(romlists  panel/panel.h board/board.h devices/catalogue.h
                              operations/programmer.h)
meldrix_layer_sees(operations board/board.h devices/catalogue.h buffers/buffers.h
                              romlists/rom_index.h)
meldrix_layer_hides(operations sim/sim_board.h frontend/port_access.h app/frm_main.h
                              cli/session.h)
meldrix_layer_sees(sim        platform/port_io.h sim/sim_board.h)
meldrix_layer_hides(sim       platform/machine.h panel/panel.h board/board.h
                              operations/programmer.h)
meldrix_layer_sees(frontend   sim/sim_board.h operations/programmer.h)
meldrix_layer_hides(frontend  app/frm_main.h cli/session.h)
meldrix_layer_sees(cli        frontend/log_text.h)
meldrix_layer_hides(cli       app/frm_main.h)
meldrix_layer_hides(app       cli/session.h)
