# The skin decoding core: LZH codec, package reader, INI reader, BMP decoder
# and the skin description (the first, GDI-free stage of loading a skin). Portable C++
# without <windows.h>; the fuzzers build the same sources natively (./fuzz).
# Only the skin-version message differs between the two builds.
add_library(skin_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/memory_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quick_ini.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_description.cpp)
if(QUORVANE_WINELIB)
  target_sources(skin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/skin_message_win32.cpp)
  target_link_libraries(skin_core PUBLIC framework)
else()
  target_sources(skin_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/skin_message_native.cpp)
endif()
