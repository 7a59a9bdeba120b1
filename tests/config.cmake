# The configuration panel's tests. They build the real window, so they run
# under the suite's X server; each test gets its own data folder.
set(configtestsupport config/configtest.cpp)
ruvello_gtest(config_window_tests test_window.cpp ${configtestsupport} LIBS ruvelloconfiglib LABELS config)
ruvello_gtest(config_alarmlists_tests test_alarmlists.cpp ${configtestsupport} LIBS ruvelloconfiglib LABELS config)
ruvello_gtest(config_settings_tests test_settings.cpp test_exchangepanel.cpp ${configtestsupport} LIBS ruvelloconfiglib LABELS config)
# The program itself, for the test that starts a second copy.
add_dependencies(config_window_tests ruvelloconfig)

# The fields preset at 23:59 on 29 February 2028, under a stopped fake clock.
add_test(NAME config_initfields_at_202802292359
         COMMAND env TZ=Europe/Berlin "RUVELLO_EXPECT_PRESET=2 29 29 2028 2 29 23 59 2028-2032"
                 faketime "2028-02-29 23:59:30" $<TARGET_FILE:config_window_tests>
                 --gtest_filter=ConfigWindow.InitfieldsPresetsTheDateAndTimeFieldsFromTheClock)
set_tests_properties(config_initfields_at_202802292359 PROPERTIES LABELS faketime)

# The fatal message once more without any display.
add_test(NAME config_fatal_without_display
         COMMAND env -u DISPLAY $<TARGET_FILE:config_alarmlists_tests>
                 --gtest_filter=ListsWithoutDisplay.*)
set_tests_properties(config_fatal_without_display PROPERTIES LABELS config)

# The real program driven with xdotool; it leaves a screenshot of each tab in
# <build>/config-e2e. Alone on the display, so no other window takes its clicks.
add_test(NAME config_end_to_end
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/config/e2e.sh ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/config-e2e)
set_tests_properties(config_end_to_end PROPERTIES LABELS config RUN_SERIAL TRUE TIMEOUT 180)

# The agenda against what the real service announces under a fake clock.
add_test(NAME config_agenda_against_service
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/config/agenda.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(config_agenda_against_service PROPERTIES LABELS "faketime;e2e" TIMEOUT 180)
