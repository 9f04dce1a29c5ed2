# Start-up time of the desktop program up to the main window shown (the splash second excluded).
if(TARGET Miravel)
  add_executable(startup_time ${CMAKE_CURRENT_LIST_DIR}/startup_time.cpp)
  target_link_libraries(startup_time PRIVATE miravel_core)
  target_compile_options(startup_time PRIVATE ${MIRAVEL_WARNINGS})
  target_compile_definitions(startup_time PRIVATE MIRAVEL_PROGRAM_PATH="$<TARGET_FILE:Miravel>")
  add_dependencies(startup_time Miravel)
endif()
