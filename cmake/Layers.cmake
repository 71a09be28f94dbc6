# The system's units: one static library per layer, each linking only the layer below it, in the
# order cmake/CheckLayers.cmake enforces. Shared by the desktop build and the browser build.
#   pelloro_add_layers(ROOT <project> VERSION <version> [SYSTEM posix|windows] [OVERRIDES <folder>]
#                      SOURCES_VAR <var>)
# SYSTEM: the folder of src/<layer>/ whose sources implement that layer's system interfaces
# (platform/System.h, Places.h, Display.h); posix unless given.
# OVERRIDES: a folder with <layer>/<file>.cpp replacing the same file of src/<layer>/ (what one build
# cannot have). SOURCES_VAR receives every source and header, for the layer check's dependencies.
set(PELLORO_LAYERS platform devices kernel data toys game shell)

function(pelloro_add_layers)
  cmake_parse_arguments(ARG "" "ROOT;VERSION;SYSTEM;OVERRIDES;SOURCES_VAR" "" ${ARGN})
  if(NOT ARG_SYSTEM)
    set(ARG_SYSTEM posix)
  endif()
  set(all)
  set(below)
  foreach(layer IN LISTS PELLORO_LAYERS)
    file(GLOB layer_sources CONFIGURE_DEPENDS ${ARG_ROOT}/src/${layer}/*.cpp ${ARG_ROOT}/src/${layer}/${ARG_SYSTEM}/*.cpp)
    if(ARG_OVERRIDES)
      foreach(own IN LISTS layer_sources)
        get_filename_component(name ${own} NAME)
        if(EXISTS ${ARG_OVERRIDES}/${layer}/${name})
          list(REMOVE_ITEM layer_sources ${own})
          list(APPEND layer_sources ${ARG_OVERRIDES}/${layer}/${name})
        endif()
      endforeach()
    endif()
    file(GLOB layer_headers CONFIGURE_DEPENDS ${ARG_ROOT}/src/${layer}/*.h)
    list(APPEND all ${layer_sources} ${layer_headers})
    add_library(pelloro_${layer} STATIC ${layer_sources})
    target_include_directories(pelloro_${layer} PUBLIC ${ARG_ROOT}/src)
    target_compile_definitions(pelloro_${layer} PUBLIC PELLORO_VERSION="${ARG_VERSION}")
    if(below)
      list(GET below -1 next_below)
      target_link_libraries(pelloro_${layer} PUBLIC pelloro_${next_below})
    endif()
    list(APPEND below ${layer})
  endforeach()
  set(${ARG_SOURCES_VAR} ${all} PARENT_SCOPE)
endfunction()

# The layer check (cmake/CheckLayers.cmake) as a step of the build that runs before the lowest layer
# compiles, again whenever a source of src/ or web/ changes.
#   pelloro_check_layers(ROOT <project> SOURCES <sources the check depends on>...)
function(pelloro_check_layers)
  cmake_parse_arguments(ARG "" "ROOT" "SOURCES" ${ARGN})
  file(GLOB_RECURSE web_sources CONFIGURE_DEPENDS ${ARG_ROOT}/web/*.h ${ARG_ROOT}/web/*.cpp)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/layers.checked
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${ARG_ROOT} -DSTAMP=${CMAKE_BINARY_DIR}/layers.checked
            -P ${ARG_ROOT}/cmake/CheckLayers.cmake
    DEPENDS ${ARG_SOURCES} ${web_sources} ${ARG_ROOT}/cmake/CheckLayers.cmake
    COMMENT "Checking that every layer includes only from the layers below it")
  add_custom_target(pelloro_layers ALL DEPENDS ${CMAKE_BINARY_DIR}/layers.checked)
  add_dependencies(pelloro_platform pelloro_layers)
endfunction()
