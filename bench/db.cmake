add_executable(db_insert ${CMAKE_CURRENT_LIST_DIR}/db_insert.cpp)
target_link_libraries(db_insert PRIVATE miravel_core)
target_compile_options(db_insert PRIVATE ${MIRAVEL_WARNINGS})

add_executable(db_point_query ${CMAKE_CURRENT_LIST_DIR}/db_point_query.cpp)
target_link_libraries(db_point_query PRIVATE miravel_core)
target_compile_options(db_point_query PRIVATE ${MIRAVEL_WARNINGS})
