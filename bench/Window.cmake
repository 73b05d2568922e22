add_executable(bench_window ${CMAKE_CURRENT_SOURCE_DIR}/bench_window.cpp)
target_link_libraries(bench_window PRIVATE moravel_window benchmark::benchmark)
