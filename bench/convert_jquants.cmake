# The J-Quants source of the converter against a stand-in of the service in a child process.
add_executable(convert_jquants ${CMAKE_CURRENT_LIST_DIR}/convert_jquants.cpp)
target_link_libraries(convert_jquants PRIVATE miravel_datagen miravel_loopback)
target_compile_options(convert_jquants PRIVATE ${MIRAVEL_WARNINGS})
