# Downloads over 127.0.0.1 with real libcurl and real sockets.
# The test server uses cpp-httplib, which comes with the sample portal library.
rankelle_test(internet_fetcher_test SOURCES internet_fetcher_test.cpp
    LIBS rankelle_core sample_portal TIMEOUT 120)
rankelle_test(internet_portal_test SOURCES internet_portal_test.cpp
    LIBS rankelle_core sample_portal TIMEOUT 120)
