# The quote fetch of a board against a loopback quote site (the shared loopback server).
add_executable(board_fetch ${CMAKE_CURRENT_LIST_DIR}/board_fetch.cpp)
target_link_libraries(board_fetch PRIVATE miravel_ui miravel_datagen miravel_loopback)
target_compile_options(board_fetch PRIVATE ${MIRAVEL_WARNINGS})
