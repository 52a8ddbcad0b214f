# Builds Winelib executables: wineg++ compiles plain Win32 C++ into native ELF
# programs (NAME.exe is a launcher script, NAME.exe.so the program) that call
# the Win32 API implemented by Wine.
set(CMAKE_SYSTEM_NAME Linux)
set(WINE_TOOLS_DIR /usr/lib/wine CACHE PATH "Folder holding winegcc, winebuild and wine64")
# winegcc looks for winebuild in its own folder only when told.
set(ENV{WINEBUILD} ${WINE_TOOLS_DIR}/winebuild)
set(CMAKE_C_COMPILER ${WINE_TOOLS_DIR}/winegcc)
set(CMAKE_CXX_COMPILER ${WINE_TOOLS_DIR}/wineg++)
set(CMAKE_EXECUTABLE_SUFFIX ".exe")
set(CMAKE_EXECUTABLE_SUFFIX_C ".exe")
set(CMAKE_EXECUTABLE_SUFFIX_CXX ".exe")
set(QUORVANE_WINELIB ON CACHE BOOL "Building with Winelib" FORCE)
