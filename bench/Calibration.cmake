add_executable(bench_calibration ${CMAKE_CURRENT_SOURCE_DIR}/bench_calibration.cpp)
target_link_libraries(bench_calibration PRIVATE moravel_files benchmark::benchmark)
target_include_directories(bench_calibration PRIVATE ${PROJECT_SOURCE_DIR}/examples)
