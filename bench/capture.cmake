# A whole capture against the sample portal versus bare GETs and appends.
if(TARGET sample_portal)
    add_executable(capture_bench capture_bench.cpp)
    target_link_libraries(capture_bench PRIVATE rankelle_core sample_portal benchmark::benchmark
                                                CURL::libcurl)
    rankelle_warnings(capture_bench)
endif()
