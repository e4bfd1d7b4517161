# Loading 400 rows with large history files versus wc -l over the same files.
add_executable(load_bench load_bench.cpp)
target_link_libraries(load_bench PRIVATE rankelle_core benchmark::benchmark)
rankelle_warnings(load_bench)
