# Window tests: offscreen Qt, one QApplication per binary (ui_test_main.cpp).
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
set(RANKELLE_UI_TEST_ENV QT_QPA_PLATFORM=offscreen)

# rankelle_ui_test(NAME [LIBS lib...])
function(rankelle_ui_test name)
    cmake_parse_arguments(U "" "" "LIBS" ${ARGN})
    rankelle_test(${name} SOURCES ${name}.cpp ui_test_main.cpp
        LIBS rankelle_ui Qt6::Test ${U_LIBS}
        ENV ${RANKELLE_UI_TEST_ENV})
endfunction()

rankelle_ui_test(ui_main_window_test)
rankelle_ui_test(ui_file_name_test)
rankelle_ui_test(ui_capture_test LIBS sample_portal)
rankelle_ui_test(ui_load_test LIBS sample_portal)
rankelle_ui_test(ui_stock_actions_test)

# The run and demo commands refuse a display they cannot reach, before they
# install or build anything.
add_test(NAME ui_scripts_display_test
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui_scripts_display_test.sh ${PROJECT_SOURCE_DIR})
set_tests_properties(ui_scripts_display_test PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)
