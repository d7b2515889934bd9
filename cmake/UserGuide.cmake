# The user guide: docs/guide/*.md turned into HTML pages in <build>/guide by cmark, its pictures beside
# them, installed under share/doc/vantri/guide where the application's Help opens them.
find_program(VANTRI_CMARK cmark REQUIRED)
set(guide_source ${PROJECT_SOURCE_DIR}/docs/guide)
set(VANTRI_GUIDE_DIR ${CMAKE_BINARY_DIR}/guide)
file(GLOB guide_pages RELATIVE ${guide_source} CONFIGURE_DEPENDS ${guide_source}/*.md)
file(GLOB guide_pictures RELATIVE ${guide_source} CONFIGURE_DEPENDS ${guide_source}/images/*.png)
set(guide_outputs)
foreach(page IN LISTS guide_pages)
  string(REGEX REPLACE "\\.md$" ".html" html ${page})
  add_custom_command(OUTPUT ${VANTRI_GUIDE_DIR}/${html}
    COMMAND ${CMAKE_COMMAND} -DCMARK=${VANTRI_CMARK} -DIN=${guide_source}/${page}
            -DTEMPLATE=${guide_source}/page.html.in -DOUT=${VANTRI_GUIDE_DIR}/${html}
            -P ${PROJECT_SOURCE_DIR}/cmake/GuidePage.cmake
    DEPENDS ${guide_source}/${page} ${guide_source}/page.html.in ${PROJECT_SOURCE_DIR}/cmake/GuidePage.cmake
    COMMENT "User guide: ${html}" VERBATIM)
  list(APPEND guide_outputs ${VANTRI_GUIDE_DIR}/${html})
endforeach()
foreach(picture IN LISTS guide_pictures)
  add_custom_command(OUTPUT ${VANTRI_GUIDE_DIR}/${picture}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${guide_source}/${picture} ${VANTRI_GUIDE_DIR}/${picture}
    DEPENDS ${guide_source}/${picture} VERBATIM)
  list(APPEND guide_outputs ${VANTRI_GUIDE_DIR}/${picture})
endforeach()
add_custom_target(vantri_guide ALL DEPENDS ${guide_outputs})
install(DIRECTORY ${VANTRI_GUIDE_DIR}/ DESTINATION share/doc/vantri/guide)
