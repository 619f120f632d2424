# Usage: cmake -DLIBRARY=<built library> -DLIST=<expected list> [-DREADELF=<readelf>] -P CheckNeeded.cmake
# Fails when the library's direct dependencies (its NEEDED entries) differ from the list
# kept in the repository: each one is loaded and relocated by every product's start, so
# one more must be a decision recorded in the list, not an accident of linking.
if(NOT READELF)
  set(READELF readelf)
endif()
execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not read the dynamic section of ${LIBRARY}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" entries "${dynamic}")
set(needed)
foreach(entry ${entries})
  string(REGEX REPLACE ".*\\[([^]]+)\\]" "\\1" name "${entry}")
  list(APPEND needed ${name})
endforeach()
file(STRINGS ${LIST} expected REGEX "^[^#]")
list(SORT needed)
list(SORT expected)
set(added ${needed})
list(REMOVE_ITEM added ${expected})
set(dropped ${expected})
list(REMOVE_ITEM dropped ${needed})
if(added OR dropped)
  message(FATAL_ERROR "the library's direct dependencies differ from ${LIST}:\n"
    "  new: ${added}\n  gone: ${dropped}\n"
    "Drop a new one (link only what is used, or load it when first needed), or record the "
    "change in the list.")
endif()
message(STATUS "${LIBRARY}: ${needed}")
