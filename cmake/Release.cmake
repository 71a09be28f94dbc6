# Desktop integration (install layout) and the tests that run the whole program: installing,
# soaking, threads under a real window, faults of the environment and of the data.

set(PELLORO_APP_ID io.github.pelloro.Pelloro)

# --- install layout --------------------------------------------------------------------------
install(FILES ${CMAKE_SOURCE_DIR}/data/${PELLORO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/${PELLORO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(icon_size 32 64 128)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/icon-${icon_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${icon_size}x${icon_size}/apps
          RENAME ${PELLORO_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/pelloro.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

if(NOT PELLORO_TESTS OR PELLORO_FUZZ)
  return()
endif()

# --- pelloro-bare: the program without its two texts -----------------------------------------
# The same entry and units, but a resource table that lacks the scene text and the difficulty
# table, so the program reads "toybox" and "dificulty" from its working directory. Tests feed it
# malformed texts that way.
set(PELLORO_BARE_DIR ${CMAKE_BINARY_DIR}/generated/bare)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/resources.list)
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/resources.list PELLORO_RESOURCE_LINES)
set(PELLORO_BARE_LIST "# The program's resources without TOYBOX and DIFICULTY (generated; do not edit).\n")
foreach(resource_line IN LISTS PELLORO_RESOURCE_LINES)
  string(REGEX REPLACE "#.*" "" resource_fields "${resource_line}")
  string(STRIP "${resource_fields}" resource_fields)
  if(resource_fields STREQUAL "")
    continue()
  endif()
  string(REGEX MATCH "^([^ \t]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)" resource_match "${resource_fields}")
  if(NOT resource_match)
    continue()
  endif()
  set(resource_type "${CMAKE_MATCH_1}")
  set(resource_name "${CMAKE_MATCH_2}")
  set(resource_path "${CMAKE_MATCH_3}")
  string(TOUPPER "${resource_name}" resource_upper)
  if(resource_type STREQUAL "TEXT" AND resource_upper MATCHES "^(TOYBOX|DIFICULTY)$")
    continue()
  endif()
  # embed reads each file relative to the list's own folder.
  file(RELATIVE_PATH resource_file ${PELLORO_BARE_DIR} ${CMAKE_SOURCE_DIR}/resources/${resource_path})
  string(APPEND PELLORO_BARE_LIST "${resource_type} ${resource_name} ${resource_file}\n")
endforeach()
file(CONFIGURE OUTPUT ${PELLORO_BARE_DIR}/resources.list CONTENT "${PELLORO_BARE_LIST}" @ONLY)
add_custom_command(
  OUTPUT ${PELLORO_BARE_DIR}/BareResources.cpp
  COMMAND embed ${PELLORO_BARE_DIR}/resources.list ${PELLORO_BARE_DIR}/BareResources.cpp kProgramResourceTable
  DEPENDS embed ${PELLORO_BARE_DIR}/resources.list ${PELLORO_RESOURCE_FILES}
  COMMENT "Embedding the resources of pelloro-bare")
add_executable(pelloro-bare ${CMAKE_SOURCE_DIR}/src/main.cpp ${PELLORO_BARE_DIR}/BareResources.cpp)
target_link_libraries(pelloro-bare PRIVATE pelloro_core PkgConfig::SDL2)

# --- C++ tests that need more than the common test loop gives them ---------------------------
if(TARGET FaultsTest)
  add_dependencies(FaultsTest pelloro-bare)
  target_compile_definitions(FaultsTest PRIVATE PELLORO_BARE_PROGRAM="$<TARGET_FILE:pelloro-bare>")
endif()
if(TARGET IconsTest)
  target_sources(IconsTest PRIVATE ${CMAKE_SOURCE_DIR}/tools/assetgen/Icons.cpp)
endif()

# --- whole-program scripts -------------------------------------------------------------------
# Installing into a scratch prefix and validating the desktop entry, the metainfo and the man page.
add_test(NAME release.install
  COMMAND ${CMAKE_SOURCE_DIR}/tests/release/install.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(release.install PROPERTIES LABELS "release" TIMEOUT 300)

# The scripts' usage and scratch folders.
add_test(NAME release.scripts COMMAND ${CMAKE_SOURCE_DIR}/tests/release/scripts.sh ${CMAKE_SOURCE_DIR})
set_tests_properties(release.scripts PROPERTIES LABELS "release" TIMEOUT 300)

# Random keys over the attract mode: no sanitizer report, no leak, no growth of resident memory.
# PELLORO_SOAK=long makes it a million frames.
add_test(NAME release.soak COMMAND ${CMAKE_SOURCE_DIR}/scripts/soak $<TARGET_FILE:pelloro>)
set_tests_properties(release.soak PROPERTIES LABELS "soak" TIMEOUT 5400)

# The real threaded program in a window under Xvfb with music; 60 s in the ThreadSanitizer build,
# 15 s elsewhere (PELLORO_TSAN_SECONDS overrides both).
if(PELLORO_TSAN)
  set(PELLORO_THREAD_SECONDS 60)
else()
  set(PELLORO_THREAD_SECONDS 15)
endif()
add_test(NAME release.threads
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/tsan-run $<TARGET_FILE:pelloro> ${PELLORO_THREAD_SECONDS})
set_tests_properties(release.threads PROPERTIES LABELS "threads" TIMEOUT 600)

# A missing audio device, SoundFont or font, and junk files beside the program.
add_test(NAME release.faults COMMAND ${CMAKE_SOURCE_DIR}/tests/release/faults.sh $<TARGET_FILE:pelloro>)
set_property(TEST release.faults PROPERTY ENVIRONMENT "BARE_PROGRAM=$<TARGET_FILE:pelloro-bare>")
set_tests_properties(release.faults PROPERTIES LABELS "release" TIMEOUT 600)

# Recorded headless runs: refactors and the shell's extras must not change a picture, a trace or a sample.
add_test(NAME e2e.reference COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/reference.sh $<TARGET_FILE:pelloro>)
set_tests_properties(e2e.reference PROPERTIES LABELS "release" TIMEOUT 300)

# The layering check itself: it must refuse an upward include, SDL in the rules, FluidSynth in a
# device, an upward include in the browser build's own sources, and accept includes that go downwards.
set(layers_expect_upward "kernel/Probe.cpp: includes game/Gamemain.h, a layer above kernel")
set(layers_expect_sdl "game/Probe.cpp: includes SDL.h; SDL belongs to platform, devices and shell")
set(layers_expect_fluidsynth "devices/Probe.cpp: includes fluidsynth.h; FluidSynth belongs to platform alone")
set(layers_expect_web "web/devices/Probe.cpp: includes game/Gamemain.h, a layer above devices")
foreach(case upward sdl fluidsynth web clean)
  add_test(NAME layers.${case}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/tests/inputs/layers/${case}
            -DSTAMP=${CMAKE_BINARY_DIR}/layers-${case}.checked -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
  if(DEFINED layers_expect_${case})
    set_tests_properties(layers.${case} PROPERTIES PASS_REGULAR_EXPRESSION "${layers_expect_${case}}")
  endif()
endforeach()

# The player's keys in a real window: pause, focus loss, screenshots, clips, quit.
add_test(NAME release.desktop COMMAND ${CMAKE_SOURCE_DIR}/tests/release/desktop.sh $<TARGET_FILE:pelloro>)
set_tests_properties(release.desktop PROPERTIES LABELS "release" TIMEOUT 300)
