# The panel and the reminder at the desktop scales 1, 1.5 and 2 (Xft.dpi 96,
# 144 and 192), each on an X server of its own that the test starts.
foreach(scale "96|600x400|500" "144|900x600|750" "192|1200x800|1000")
  string(REPLACE "|" ";" parts "${scale}")
  list(GET parts 0 dpi)
  list(GET parts 1 panel)
  list(GET parts 2 reminder)
  add_test(NAME windows_at_xft_dpi_${dpi}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scaling/scaling.sh ${CMAKE_BINARY_DIR}/bin ${dpi} ${panel} ${reminder})
  set_tests_properties(windows_at_xft_dpi_${dpi} PROPERTIES LABELS "config;display" TIMEOUT 300)
endforeach()
