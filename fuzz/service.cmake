# Fuzz targets on the reminder service's own code.
if(TARGET ruvelloservicecore)
  ruvello_fuzzer(fuzz_serviceconfig fuzz_serviceconfig.cpp ${MODEL} LIBS ruvelloservicecore)
  ruvello_fuzzer(fuzz_servicedecision fuzz_servicedecision.cpp ${MODEL} LIBS ruvelloservicecore)
endif()
