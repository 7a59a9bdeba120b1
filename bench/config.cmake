# The configuration panel's benchmark: start-up with long lists against empty
# ones, and sorting against loading. Run it under an X server (docs/benchmarks.md).
add_executable(configbench configbench.cpp)
target_link_libraries(configbench PRIVATE ruvelloconfiglib)
