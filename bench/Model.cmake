add_executable(bench_model ${CMAKE_CURRENT_SOURCE_DIR}/bench_model.cpp)
target_link_libraries(bench_model PRIVATE moravel_model benchmark::benchmark)
