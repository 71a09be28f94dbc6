# The Windows build (scripts/windows with cmake/MingwW64.cmake): what the units need of Windows beyond
# the libraries' pkg-config files, the program's subsystem, and the tests that run on Windows.

# win-iconv reads the game's Shift-JIS texts; the Pictures known folder comes from the shell.
find_library(PELLORO_ICONV iconv REQUIRED)
target_link_libraries(pelloro_platform PRIVATE ${PELLORO_ICONV} PUBLIC shell32 ole32)
# win-iconv declares iconv() with a const input by default; the POSIX declaration has none.
target_compile_definitions(pelloro_platform PRIVATE WINICONV_CONST=)

# A GUI program, so that a double click opens no console window beside the game's; started from a
# console it attaches to it (platform::AttachTerminal) and --help, --version and --headless print there.
set_target_properties(pelloro PROPERTIES WIN32_EXECUTABLE ON)

# The unit tests run on Windows too. Whole-program tests run from scripts/windows --check (the recorded
# references and a window under Wine); the asset generator and the Linux install are the build
# machine's business; WindowTest starts an X server of its own and reads X window properties, and
# WavWriterTest writes through a shell pipe's /dev/fd name.
function(pelloro_windows_tests sources_var)
  set(kept)
  foreach(source IN LISTS ${sources_var})
    if(NOT source MATCHES "/tests/(e2e|tools|release)/|/(Window|WavWriter)Test.cpp$")
      list(APPEND kept ${source})
    endif()
  endforeach()
  set(${sources_var} ${kept} PARENT_SCOPE)
endfunction()

# The places test takes away and puts back the SoundFont beside the test programs, which the other
# tests play with: it runs alone.
cmake_language(DEFER CALL set_tests_properties PlacesTest PROPERTIES RUN_SERIAL TRUE)
