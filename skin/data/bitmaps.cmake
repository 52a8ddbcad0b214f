# Bitmap utilities and GDI handle owners (Win32).
add_library(skin_bitmaps STATIC ${CMAKE_CURRENT_LIST_DIR}/bitmap_utils.cpp)
