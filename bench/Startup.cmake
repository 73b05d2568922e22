# The whole program: time to the first painted window and peak memory after a hydrograph,
# measured on a separate probe process that bench_startup launches again and again.
add_executable(startup_probe ${CMAKE_CURRENT_SOURCE_DIR}/startup_probe.cpp)
target_link_libraries(startup_probe PRIVATE moravel_window)
# On X the probe waits for the server to have drawn the window; the library is the one the
# window-system plugin loads anyway.
pkg_check_modules(PROBE_XCB IMPORTED_TARGET xcb)
if(PROBE_XCB_FOUND)
  target_link_libraries(startup_probe PRIVATE PkgConfig::PROBE_XCB)
  target_compile_definitions(startup_probe PRIVATE MORAVEL_PROBE_XCB)
endif()

add_executable(bench_startup ${CMAKE_CURRENT_SOURCE_DIR}/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE benchmark::benchmark)
if(PROBE_XCB_FOUND)
  # It holds a connection to the X display while the probes come and go.
  target_link_libraries(bench_startup PRIVATE PkgConfig::PROBE_XCB)
  target_compile_definitions(bench_startup PRIVATE MORAVEL_PROBE_XCB)
endif()
target_compile_definitions(bench_startup PRIVATE
  MORAVEL_STARTUP_PROBE="$<TARGET_FILE:startup_probe>"
  MORAVEL_EXAMPLE_PROJECT="${PROJECT_SOURCE_DIR}/examples/zlewnia.kpr")
add_dependencies(bench_startup startup_probe)
