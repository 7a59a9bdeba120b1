# The reminder service: its cycle and its launching tested directly, then the
# real program end to end (under faketime, sped up, in temporary folders).
ruvello_gtest(service_tests test_scheduler.cpp test_notification.cpp LIBS ruvelloservicecore)
