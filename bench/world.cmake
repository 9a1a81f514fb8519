# One racing step in steady state, with a GL that does nothing.
add_executable(bench_tick ${CMAKE_CURRENT_LIST_DIR}/tick_bench.cpp)
target_link_libraries(bench_tick PRIVATE velk_world velk_nullgl benchmark::benchmark)
