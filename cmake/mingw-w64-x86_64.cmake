# Cross-compiles for 64-bit Windows and runs the results under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(wine_loader /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
