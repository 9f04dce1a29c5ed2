# The information browser and the ranking download (a temporary program folder and a scripted prompt
# from the test support: built with the tests only).
if(TARGET miravel_test_support)
  add_executable(info_browser ${CMAKE_CURRENT_LIST_DIR}/info_browser.cpp)
  target_link_libraries(info_browser PRIVATE miravel_core miravel_test_support)
  target_compile_options(info_browser PRIVATE ${MIRAVEL_WARNINGS})
endif()
