# Fuzz targets on the reminder service's own code.
ruvello_fuzzer(fuzz_serviceconfig fuzz_serviceconfig.cpp ${MODEL} LIBS ruvelloservicecore)
ruvello_fuzzer(fuzz_servicedecision fuzz_servicedecision.cpp ${MODEL} LIBS ruvelloservicecore)
ruvello_fuzzer(fuzz_servicelines fuzz_servicelines.cpp ${MODEL} LIBS ruvelloservicecore)
