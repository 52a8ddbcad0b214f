# Bitmap utilities and GDI handle owners (Win32).
add_library(skin_bitmaps STATIC ${CMAKE_CURRENT_LIST_DIR}/bitmap_utils.cpp)
# The BMP decoder itself is portable and lives in the core.
target_link_libraries(skin_bitmaps PUBLIC skin_core)
