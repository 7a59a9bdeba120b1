# The reminder service: its cycle and its launching tested directly, then the
# real program end to end (under faketime, sped up, in temporary folders).
ruvello_gtest(service_tests test_scheduler.cpp test_linereader.cpp test_notification.cpp test_quoting.cpp
  LIBS ruvelloservicecore)

# The real program end to end: bash scripts, each with its own temporary HOME.
foreach(script announce clock catchup punctual fatal instance errorbox week)
  add_test(NAME service_e2e_${script}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/service/${script}.sh ${CMAKE_BINARY_DIR}/bin)
  set_tests_properties(service_e2e_${script} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
endforeach()
# These run the service under a fake clock.
set_tests_properties(service_e2e_announce service_e2e_clock service_e2e_catchup service_e2e_fatal service_e2e_week PROPERTIES LABELS "faketime;e2e")
set_tests_properties(service_e2e_instance service_e2e_errorbox service_e2e_punctual PROPERTIES LABELS "e2e")
