# The message box's benchmark: its start-up until mapped against a bare
# window, and a snooze into a long list against the panel's save of it. Run
# it under an X server without a window manager (README).
add_executable(msgboxbench msgboxbench.cpp)
target_link_libraries(msgboxbench PRIVATE ruvellomsgboxwindow)
