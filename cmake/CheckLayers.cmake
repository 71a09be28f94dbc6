cmake_minimum_required(VERSION 3.20)
# Fails when a source under src/ or web/ includes from a layer above its own, or when SDL or
# FluidSynth headers appear outside the layers that wrap them. Run by the build (cmake -P) before the
# libraries, by the desktop and the browser build alike (pelloro_check_layers in Layers.cmake).
#   -DSOURCE_DIR=<project> -DSTAMP=<file touched on success>
set(layers platform devices kernel data toys game shell)
# The toy box holds the toys it builds by their common base; that one header is the only view
# the data layer has of the toys (the classes themselves reach it through a table from above).
set(allowed "data/Toybox.h -> toys/Toyobject.h")

set(problems "")
# Sources named relative to src/, as they include each other; the browser build's are web/...
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
file(GLOB_RECURSE web_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/web/*.h ${SOURCE_DIR}/web/*.cpp)
foreach(source IN LISTS sources web_sources)
  if(source MATCHES "^web/")
    # web/<layer>/ replaces files of that layer and is held to its rule; the browser's entry beside
    # them stands where the desktop's shell does. web/compat stands in for libraries, not for a layer.
    if(source MATCHES "^web/compat/")
      continue()
    elseif(source MATCHES "^web/([^/]+)/")
      set(own "${CMAKE_MATCH_1}")
    else()
      set(own shell)
    endif()
    set(path ${SOURCE_DIR}/${source})
  else()
    string(REGEX MATCH "^[^/]+" own "${source}")
    set(path ${SOURCE_DIR}/src/${source})
  endif()
  list(FIND layers "${own}" own_rank)
  if(own_rank EQUAL -1)
    continue()  # the program entry sits above every layer
  endif()
  file(STRINGS ${path} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      set(target "${CMAKE_MATCH_1}")
    else()
      continue()
    endif()
    if(target MATCHES "^(SDL2?/)?SDL[_.a-z0-9]*\\.h$" AND NOT own MATCHES "^(platform|devices|shell)$")
      string(APPEND problems "  ${source}: includes ${target}; SDL belongs to platform, devices and shell\n")
    endif()
    if(target MATCHES "^fluidsynth" AND NOT own STREQUAL "platform")
      string(APPEND problems "  ${source}: includes ${target}; FluidSynth belongs to platform alone\n")
    endif()
    string(REGEX MATCH "^[^/]+" their "${target}")
    list(FIND layers "${their}" their_rank)
    if(their_rank GREATER own_rank AND NOT "${source} -> ${target}" IN_LIST allowed)
      string(APPEND problems "  ${source}: includes ${target}, a layer above ${own}\n")
    endif()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Layering broken (order: ${layers}):\n${problems}")
endif()
file(TOUCH ${STAMP})
