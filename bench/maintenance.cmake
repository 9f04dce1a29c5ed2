# Data maintenance on a 10-year database: code change, issue checks, range deletion, backup and
# compaction, each against a baseline where one exists.
add_executable(maintenance ${CMAKE_CURRENT_LIST_DIR}/maintenance.cpp)
target_link_libraries(maintenance PRIVATE miravel_core)
target_compile_options(maintenance PRIVATE ${MIRAVEL_WARNINGS})
