# moravel-run as a process: a shard against the in-process series, the peak memory of a
# million realisations, and the merge of 100 shards of 10 000.
add_executable(bench_cli ${CMAKE_CURRENT_SOURCE_DIR}/bench_cli.cpp)
target_link_libraries(bench_cli PRIVATE moravel_files benchmark::benchmark)
target_include_directories(bench_cli PRIVATE ${PROJECT_SOURCE_DIR}/examples)
target_compile_definitions(bench_cli PRIVATE MORAVEL_RUN="$<TARGET_FILE:moravel-run>"
  MORAVEL_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(bench_cli moravel-run)
