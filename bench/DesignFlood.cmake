add_executable(bench_design_flood ${CMAKE_CURRENT_SOURCE_DIR}/bench_design_flood.cpp)
target_link_libraries(bench_design_flood PRIVATE moravel_files benchmark::benchmark)
target_include_directories(bench_design_flood PRIVATE ${PROJECT_SOURCE_DIR}/examples)
