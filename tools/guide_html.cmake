# Writes OUTPUT, the HTML page of the guide's Markdown INPUT, made by
# cmark-gfm (CMARK) with its tables; links between the guide's pages point
# to their HTML.
#   cmake -DCMARK=… -DINPUT=… -DOUTPUT=… -DTITLE=… -P guide_html.cmake
execute_process(COMMAND "${CMARK}" --extension table "${INPUT}"
  OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CMARK} failed on ${INPUT}")
endif()
string(REGEX REPLACE "href=\"([a-z-]+)\\.md" "href=\"\\1.html" body "${body}")
file(WRITE "${OUTPUT}" "<!DOCTYPE html>
<html lang=\"ru\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
<style>body{max-width:50em;margin:auto;padding:1em;font-family:sans-serif;line-height:1.5}
table{border-collapse:collapse}td,th{border:1px solid #888;padding:.2em .4em;vertical-align:top}
pre{background:#f4f4f4;padding:.5em;overflow:auto}</style>
</head>
<body>
${body}</body>
</html>
")
