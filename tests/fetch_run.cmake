# Whole captures over loopback against the sample portal, and the desktop shell hand-off.
if(TARGET sample_portal)
    rankelle_test(fetch_run_test
        SOURCES fetch_run_test.cpp
        LIBS rankelle_core sample_portal
        ENV "http_proxy=" "https_proxy=" "all_proxy=" "HTTP_PROXY=" "HTTPS_PROXY=" "ALL_PROXY="
        TIMEOUT 180)
endif()

rankelle_test(fetch_run_shell_open_test
    SOURCES fetch_run_shell_open_test.cpp
    LIBS rankelle_platform
    TIMEOUT 60)
