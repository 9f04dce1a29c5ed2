add_executable(mainwin_switch ${CMAKE_CURRENT_LIST_DIR}/mainwin_switch.cpp)
target_link_libraries(mainwin_switch PRIVATE miravel_ui)
target_compile_options(mainwin_switch PRIVATE ${MIRAVEL_WARNINGS})
