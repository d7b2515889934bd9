# VantriThumbnails.dll, the Windows shell's thumbnail server, cross-built with MinGW-w64 as a build of
# its own (src/thumbnails/win) in <build>/thumbnails-win, and its test under Wine.
include(ExternalProject)

set(VANTRI_WIN_BUILD ${CMAKE_BINARY_DIR}/thumbnails-win)
set(win_tests OFF)
if(VANTRI_TESTS)
  set(win_tests ON)
endif()
ExternalProject_Add(vantri_thumbnails_win
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/src/thumbnails/win
  BINARY_DIR ${VANTRI_WIN_BUILD}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DVANTRI_SOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DVANTRI_VERSION=${PROJECT_VERSION}
    -DVANTRI_WIN_TESTS=${win_tests}
    -DVANTRI_WERROR=${VANTRI_WERROR}
  INSTALL_COMMAND ""
  # The sub-build knows its own sources; asking it each time costs a no-op Ninja run.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VANTRI_WIN_BUILD}/VantriThumbnails.dll)

# The Wine test: regsvr32, the registry, com_test.exe against the Linux core's pictures, regsvr32 /u.
find_program(VANTRI_WINE wine)
find_program(VANTRI_WINESERVER wineserver)
if(VANTRI_TESTS AND VANTRI_WINE AND VANTRI_WINESERVER)
  add_executable(thumbs_wine_cases ${PROJECT_SOURCE_DIR}/tests/thumbnails/win/WineCases.cpp)
  target_link_libraries(thumbs_wine_cases PRIVATE vantri_thumbnails_core vantri_testdata)
  target_include_directories(thumbs_wine_cases PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME thumbnails_wine
    COMMAND ${PROJECT_SOURCE_DIR}/tests/thumbnails/win/wine_test.sh
      $<TARGET_FILE:thumbs_wine_cases> ${VANTRI_WIN_BUILD}/VantriThumbnails.dll ${VANTRI_WIN_BUILD}/com_test.exe
      ${CMAKE_BINARY_DIR}/wine-test)
  # Making the Wine prefix takes a while on the first run; every Wine call has a timeout of its own.
  set_tests_properties(thumbnails_wine PROPERTIES LABELS wine TIMEOUT 900)
endif()
