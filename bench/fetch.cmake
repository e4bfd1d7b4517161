# EUC-JP conversion and tag upper-casing throughput; twenty page downloads
# through the fetcher versus twenty bare libcurl GETs.
if(TARGET sample_portal)
    add_executable(fetch_bench fetch_bench.cpp)
    target_link_libraries(fetch_bench PRIVATE rankelle_core sample_portal benchmark::benchmark
                                              CURL::libcurl)
    rankelle_warnings(fetch_bench)
endif()
