# The skin data: element descriptions and their loaders, the built-in
# pictures, and the skin data component TSkinData (Win32).
add_library(skin_data STATIC
  ${CMAKE_CURRENT_LIST_DIR}/builtin_bitmaps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_elements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_content.cpp)
target_link_libraries(skin_data PUBLIC skin_core skin_bitmaps skin_paint framework)
