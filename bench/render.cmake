# Cost of composing one whole frame with a GL that does nothing, and the same frame timed on the
# real GL driver (frame_timing needs a display; run it through bench/frame_timing.sh).
add_executable(bench_frame ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp)
target_include_directories(bench_frame PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_frame PRIVATE velk_render velk_input velk_world velk_nullgl
                      benchmark::benchmark)

add_executable(frame_timing ${CMAKE_CURRENT_LIST_DIR}/frame_timing.cpp)
target_link_libraries(frame_timing PRIVATE velk_app velk_render velk_input velk_world GLUT::GLUT
                      OpenGL::GLU OpenGL::GL)
