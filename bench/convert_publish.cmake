# The converter and the publisher of the data server's files.
add_executable(convert_publish ${CMAKE_CURRENT_LIST_DIR}/convert_publish.cpp)
target_link_libraries(convert_publish PRIVATE miravel_datagen)
target_compile_options(convert_publish PRIVATE ${MIRAVEL_WARNINGS})
