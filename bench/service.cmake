# The reminder service's cycle against wc -l; run by hand (see docs/benchmarks.md).
add_executable(bench_service ${CMAKE_CURRENT_SOURCE_DIR}/bench_service.cpp)
target_link_libraries(bench_service PRIVATE ruvelloservicecore)

# One cycle over the data folder's lists, for Linux and Windows alike.
add_executable(bench_cycle ${CMAKE_CURRENT_SOURCE_DIR}/bench_cycle.cpp)
target_link_libraries(bench_cycle PRIVATE ruvelloservicecore)
