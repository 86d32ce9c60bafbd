# Cross-compiles for 32-bit Windows, as a handset's processor is 32-bit, and runs the results under
# the 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(wine_loader /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
