# Robustness checks: faults injected into the data-file writer, bad data files,
# writers killed mid-save and readers racing rewrites. Included by
# tests/CMakeLists.txt; the sanitizer stage builds and runs these too.

# The fault-injection library, preloaded into the writer's process. It is
# never sanitized itself: it stands in front of the sanitizer's runtime.
add_library(ruvellofaultshim MODULE robustness/faultshim.c)
target_compile_options(ruvellofaultshim PRIVATE -fno-sanitize=all)
target_link_options(ruvellofaultshim PRIVATE -fno-sanitize=all)
target_link_libraries(ruvellofaultshim PRIVATE dl)
set_target_properties(ruvellofaultshim PROPERTIES
  PREFIX "lib" OUTPUT_NAME ruvellofaultshim LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_library(ruvellorobustsupport STATIC robustness/robustlists.cpp robustness/robustsupport.cpp
                                        robustness/datalinemodel.cpp)
target_include_directories(ruvellorobustsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/robustness)
target_link_libraries(ruvellorobustsupport PUBLIC ruvellotestsupport)

add_executable(robustwriter robustness/robustwriter.cpp robustness/robustlists.cpp)
target_include_directories(robustwriter PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/robustness)
target_link_libraries(robustwriter PRIVATE ruvellostore)

# The configurator's code driven through its callbacks.
add_executable(configdriver robustness/configdriver.cpp)
target_link_libraries(configdriver PRIVATE ruvelloconfiglib)

# The stand-in message box that records each announcement.
add_executable(recordingmsgbox robustness/recordingmsgbox.c)

ruvello_gtest(robustness_tests robustness/test_writerfaults.cpp robustness/test_storebadfiles.cpp
              robustness/test_crashrace.cpp robustness/test_configrobust.cpp robustness/test_servicerobust.cpp
              robustness/test_importfaults.cpp LIBS ruvellorobustsupport ruvelloservicecore LABELS robustness)
add_dependencies(robustness_tests ruvellofaultshim robustwriter recordingmsgbox ruvelloservice configdriver ruvelloconfig)

