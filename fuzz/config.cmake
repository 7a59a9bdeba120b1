# Fuzz targets on the configurator's own code.
ruvello_fuzzer(fuzz_configsettings fuzz_configsettings.cpp ${MODEL} LIBS ruvelloconfiglib)
ruvello_fuzzer(fuzz_newalarm fuzz_newalarm.cpp ${MODEL} LIBS ruvelloconfiglib)
