add_executable(bench_series ${CMAKE_CURRENT_SOURCE_DIR}/bench_series.cpp)
target_link_libraries(bench_series PRIVATE moravel_files benchmark::benchmark)
target_include_directories(bench_series PRIVATE ${PROJECT_SOURCE_DIR}/examples)
