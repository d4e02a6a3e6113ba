# Writes the files listed in INPUTS (separated by "|") one after another into OUT, each ending
# in a line break; an empty list gives an empty file.
file(WRITE ${OUT} "")
if(NOT "${INPUTS}" STREQUAL "")
  string(REPLACE "|" ";" inputs "${INPUTS}")
  foreach(f IN LISTS inputs)
    file(READ ${f} content)
    file(APPEND ${OUT} "${content}")
    if(NOT content MATCHES "\n$")
      file(APPEND ${OUT} "\n")
    endif()
  endforeach()
endif()
