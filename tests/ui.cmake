# Window tests: offscreen Qt, one QApplication per binary (ui_test_main.cpp).
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
set(RANKELLE_UI_TEST_ENV QT_QPA_PLATFORM=offscreen)

function(rankelle_ui_test name)
    rankelle_test(${name} SOURCES ${name}.cpp ui_test_main.cpp ${ARGN}
        LIBS rankelle_ui Qt6::Test
        ENV ${RANKELLE_UI_TEST_ENV})
endfunction()

rankelle_ui_test(ui_main_window_test)
rankelle_ui_test(ui_file_name_test)
