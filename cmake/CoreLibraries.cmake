# The core libraries (model, readers, writers, renderers, the toolchain, the
# companion's commands other than `view`) are
# usable without any window: a command-line tool can link them alone. This
# check fails the configuration when one of them comes to link Qt Widgets,
# directly or through another library.
function(torvex_require_no_widgets target)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" current "${current}")
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL "Qt6::Widgets" OR current STREQUAL "Qt::Widgets")
      message(FATAL_ERROR "${target} is a core library and must not link Qt Widgets")
    endif()
    if(TARGET ${current})
      get_target_property(type ${current} TYPE)
      get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
      if(interface)
        list(APPEND queue ${interface})
      endif()
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(direct ${current} LINK_LIBRARIES)
        if(direct)
          list(APPEND queue ${direct})
        endif()
      endif()
    endif()
  endwhile()
endfunction()

foreach(core torvex_base torvex_files torvex_scene_core torvex_preview_core torvex_codegen_core torvex_z80
        torvex_engine torvex_exchange torvex_cli_core)
  torvex_require_no_widgets(${core})
endforeach()
