# Shared build settings and the helpers every module folder uses.

if(QUORVANE_WINELIB)
  add_compile_definitions(STRICT NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  # Wine's headers declare __stdcall & co. as attributes gcc warns about in places
  # we cannot change; keep our own warnings strict.
  set(QUORVANE_WARNINGS -Wall -Wextra -Wno-unknown-pragmas -Wno-attributes)
else()
  set(QUORVANE_WARNINGS -Wall -Wextra)
endif()
# Warnings fail every build, not only CI's, so a tree that builds here builds there.
list(APPEND QUORVANE_WARNINGS -Werror)
add_compile_options(${QUORVANE_WARNINGS})
include_directories(${PROJECT_SOURCE_DIR})

set(QUORVANE_WIN_LIBS user32 gdi32 comctl32 comdlg32 ole32 oleaut32 uuid winmm shell32 advapi32)

# winegcc hides the target architecture from CMake's compiler probe, so name
# Debian's multiarch folder explicitly.
set(QUORVANE_LIB_DIRS /usr/lib/x86_64-linux-gnu /usr/lib)
find_library(GTEST_STATIC libgtest.a PATHS ${QUORVANE_LIB_DIRS} REQUIRED)
find_library(BENCHMARK_LIB NAMES libbenchmark.a benchmark PATHS ${QUORVANE_LIB_DIRS} REQUIRED)

# quorvane_program(NAME SOURCES files... [LIBS libs...] [GUI])
# A Winelib program: build/<dir>/NAME.exe (launcher script) + NAME.exe.so.
function(quorvane_program name)
  cmake_parse_arguments(P "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS} ${QUORVANE_WIN_LIBS} pthread)
  if(P_GUI)
    target_link_options(${name} PRIVATE -mwindows)
  else()
    target_link_options(${name} PRIVATE -mconsole)
  endif()
endfunction()

# quorvane_test(NAME SOURCES files... [LIBS libs...] [TIMEOUT seconds])
# A GoogleTest suite inside a Winelib program, registered with ctest. Tests
# include "tests/support/gtest.h", never <gtest/gtest.h> directly.
function(quorvane_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/gtest_main.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${GTEST_STATIC} ${QUORVANE_WIN_LIBS} pthread)
  target_link_options(${name} PRIVATE -mconsole)
  add_test(NAME ${name} COMMAND $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# quorvane_bench(NAME SOURCES files... [LIBS libs...])
# A Google Benchmark program; run by hand or through ./run, never by ctest.
function(quorvane_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES} ${PROJECT_SOURCE_DIR}/bench/support/bench_main.cpp)
  target_link_libraries(${name} PRIVATE ${B_LIBS} ${BENCHMARK_LIB} ${QUORVANE_WIN_LIBS} pthread)
  target_link_options(${name} PRIVATE -mconsole)
endfunction()
