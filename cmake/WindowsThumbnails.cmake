# VantriThumbnails.dll, the Windows shell's thumbnail server, cross-built with MinGW-w64 as a build of
# its own (src/thumbnails/win) in <build>/thumbnails-win.
include(ExternalProject)

set(VANTRI_WIN_BUILD ${CMAKE_BINARY_DIR}/thumbnails-win)
ExternalProject_Add(vantri_thumbnails_win
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/src/thumbnails/win
  BINARY_DIR ${VANTRI_WIN_BUILD}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DVANTRI_SOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DVANTRI_VERSION=${PROJECT_VERSION}
  INSTALL_COMMAND ""
  # The sub-build knows its own sources; asking it each time costs a no-op Ninja run.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VANTRI_WIN_BUILD}/VantriThumbnails.dll)

