# Chart benchmark: load + indicators + painting over a generated database.
add_executable(chart_bench ${CMAKE_CURRENT_LIST_DIR}/chart_bench.cpp)
target_link_libraries(chart_bench PRIVATE miravel_core)
target_compile_options(chart_bench PRIVATE ${MIRAVEL_WARNINGS})
