# Joins the page's files into the one index.html that opens from disk: every line
# "/* @include page/NAME */" of web/index.html is replaced by that file.
#   cmake -DSOURCE=web -DOUTPUT=build-web/web/index.html -P web/join_page.cmake
file(READ "${SOURCE}/index.html" page)
string(REGEX MATCHALL "/\\* @include [A-Za-z0-9_./-]+ \\*/" includes "${page}")
foreach(include IN LISTS includes)
  string(REGEX REPLACE "/\\* @include ([A-Za-z0-9_./-]+) \\*/" "\\1" name "${include}")
  file(READ "${SOURCE}/${name}" text)
  string(REPLACE "${include}" "${text}" page "${page}")
endforeach()
file(WRITE "${OUTPUT}" "${page}")
