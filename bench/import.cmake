# The price import benchmarks and the command-line front end of the data generator.
add_executable(generate_data ${CMAKE_CURRENT_LIST_DIR}/generate_data.cpp)
target_link_libraries(generate_data PRIVATE miravel_datagen)
target_compile_options(generate_data PRIVATE ${MIRAVEL_WARNINGS})

add_executable(import_year ${CMAKE_CURRENT_LIST_DIR}/import_year.cpp)
target_link_libraries(import_year PRIVATE miravel_datagen)
target_compile_options(import_year PRIVATE ${MIRAVEL_WARNINGS})
