# ruvellomsgbox: its window's widgets directly, and the real program.
ruvello_gtest(msgbox_tests test_msgbox.cpp LIBS ruvellomsgboxwindow LABELS display)
# Its reading of alarm lines, when-texts and snoozes, which need no display.
ruvello_gtest(reminder_tests test_reminder.cpp LIBS ruvellomsgboxwindow)
add_test(NAME msgbox_e2e COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/msgbox/msgbox.sh ${CMAKE_BINARY_DIR}/bin)
# Its when-texts are read under faketime, which sanitized programs do not bear.
set_tests_properties(msgbox_e2e PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77 LABELS "faketime;e2e")

# A user types into another window while a reminder appears, under a real
# window manager on a display of the test's own.
add_executable(typingwindow msgbox/typingwindow.cpp)
target_link_libraries(typingwindow PRIVATE fltk_external)
add_test(NAME msgbox_typing COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/msgbox/typing.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(msgbox_typing PROPERTIES TIMEOUT 120 LABELS "e2e")

# The sound on ALSA's file plugin, counted, and cut short on a paced pipe.
# Alone on the display: it answers boxes with keys.
add_test(NAME msgbox_sound COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/msgbox/sound.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(msgbox_sound PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE LABELS "faketime;e2e")
