# vantri_library(NAME SOURCES... [DEPS libs...])
# A Qt-free library of one source folder, named vantri_<folder>.
function(vantri_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vantri_ui_library(NAME SOURCES... [DEPS libs...])
# The Qt files of one source folder (its qt/ subfolder), named vantri_<folder>_ui.
function(vantri_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Widgets Qt6::OpenGL Qt6::OpenGLWidgets Qt6::PrintSupport
    OpenGL::GL OpenGL::GLU)
endfunction()
