# Parsing of one ranking page (cursor, record lines, history appends).
add_executable(rankelle_bench_parse parse_bench.cpp)
target_link_libraries(rankelle_bench_parse PRIVATE rankelle_core benchmark::benchmark
                                                   benchmark::benchmark_main)
rankelle_warnings(rankelle_bench_parse)
