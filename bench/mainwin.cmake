add_executable(mainwin_switch ${CMAKE_CURRENT_LIST_DIR}/mainwin_switch.cpp)
target_link_libraries(mainwin_switch PRIVATE miravel_ui)
target_compile_options(mainwin_switch PRIVATE ${MIRAVEL_WARNINGS})

add_executable(importwin_responsive ${CMAKE_CURRENT_LIST_DIR}/importwin_responsive.cpp)
target_link_libraries(importwin_responsive PRIVATE miravel_ui miravel_datagen)
target_compile_options(importwin_responsive PRIVATE ${MIRAVEL_WARNINGS})
