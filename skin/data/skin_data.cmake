# The skin data: element descriptions and their loaders, the built-in
# pictures, the class maps, the optional user32 functions and the skin data
# component TSkinData (Win32).
add_library(skin_data STATIC
  ${CMAKE_CURRENT_LIST_DIR}/builtin_bitmaps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_elements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_class_maps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/optional_user32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_data.cpp)
target_link_libraries(skin_data PUBLIC skin_core skin_bitmaps skin_paint framework skin_form)
