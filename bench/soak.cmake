# velk_soak: hundreds of millions of racing ticks with random controls, every invariant checked.
add_executable(velk_soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp)
target_include_directories(velk_soak PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(velk_soak PRIVATE velk_world velk_nullgl)
