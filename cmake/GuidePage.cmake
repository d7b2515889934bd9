# One page of the user guide: its Markdown through cmark into the page template.
#   cmake -DCMARK=<cmark> -DIN=<page.md> -DTEMPLATE=<page.html.in> -DOUT=<page.html> -P GuidePage.cmake
# Links to other pages (x.md, x.md#part) become links to their HTML; second- and third-level headings
# get ids made of their words (lower case, joined by '-') for the help's links into a page.
execute_process(COMMAND "${CMARK}" --to html "${IN}" OUTPUT_VARIABLE body RESULT_VARIABLE status
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmark could not convert ${IN}: ${errors}")
endif()
string(REGEX REPLACE "href=\"([a-zA-Z0-9_-]+)\\.md([#\"])" "href=\"\\1.html\\2" body "${body}")

string(REGEX MATCHALL "<h[23]>[^<]*</h[23]>" headings "${body}")
foreach(heading IN LISTS headings)
  string(REGEX REPLACE "<h([23])>([^<]*)</h[23]>" "\\1" level "${heading}")
  string(REGEX REPLACE "<h[23]>([^<]*)</h[23]>" "\\1" words "${heading}")
  string(REPLACE "&amp;" " " slug "${words}")
  string(TOLOWER "${slug}" slug)
  string(REGEX REPLACE "[^a-z0-9]+" "-" slug "${slug}")
  string(REGEX REPLACE "^-+|-+$" "" slug "${slug}")
  string(REPLACE "${heading}" "<h${level} id=\"${slug}\">${words}</h${level}>" body "${body}")
endforeach()

set(title "Vantri")
if(body MATCHES "<h1>([^<]*)</h1>")
  set(title "${CMAKE_MATCH_1}")
endif()
file(READ "${TEMPLATE}" page)
string(REPLACE "@TITLE@" "${title}" page "${page}")
string(REPLACE "@BODY@" "${body}" page "${page}")
file(WRITE "${OUT}" "${page}")
