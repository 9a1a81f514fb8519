# Whole frames drawn through the browser's fixed-function GL into a graphics card that does
# nothing: the layer's own CPU cost per frame, and the vertices and draw calls it hands over.
add_executable(bench_web_frame ${CMAKE_CURRENT_LIST_DIR}/web_frame_bench.cpp)
target_include_directories(bench_web_frame PRIVATE ${PROJECT_SOURCE_DIR}/tests/support
                                                   ${PROJECT_SOURCE_DIR}/tests/fakes)
target_link_libraries(bench_web_frame PRIVATE velk_app velk_render velk_input velk_world
                      velk_web_gl benchmark::benchmark)
