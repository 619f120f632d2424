# talvex_startup_layout(<target> <list>): links <target> with the linker's own default
# script, changed in two places: the functions named in <list> (symbol names, one per
# line; "#" starts a comment) and the static initialisers come first in the code, and the
# compiled-in resource data comes before the other constants, away from those a start
# reads. The target is compiled with a section per function and per constant for that.
# Where the default script cannot be read or changed the target is left as it is.
function(talvex_startup_layout target list)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -shared -Wl,--verbose -o ${CMAKE_CURRENT_BINARY_DIR}/layout-probe.so
      -x c /dev/null
    OUTPUT_VARIABLE verbose ERROR_QUIET RESULT_VARIABLE status)
  file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/layout-probe.so)
  string(REGEX MATCH "\n=+\n(.*)\n=+\n" script "${verbose}")
  set(script "${CMAKE_MATCH_1}")
  set(text_head "\n  \\.text[ ]+:\n  {\n")
  set(rodata_head "\n  \\.rodata[ ]+: {")
  if(NOT status EQUAL 0 OR NOT script MATCHES "${text_head}" OR NOT script MATCHES "${rodata_head}")
    message(STATUS "The linker's default script was not understood: ${target} keeps the default layout")
    return()
  endif()

  file(STRINGS ${list} names REGEX "^[^#]")
  set(hot "    *(.text.startup .text.startup.*)\n    *crtbeginS.o(.text)\n")
  foreach(name ${names})
    string(STRIP "${name}" name)
    if(name MATCHES "^[A-Za-z0-9_.$]+$")
      string(APPEND hot "    *(.text.${name})\n")
      # A complete constructor or destructor (C1, D1) is an alias of the base one (C2,
      # D2), whose section holds both.
      string(REGEX REPLACE "([CD])1([EI])" "\\12\\2" base "${name}")
      if(NOT base STREQUAL name)
        string(APPEND hot "    *(.text.${base})\n")
      endif()
    endif()
  endforeach()
  string(REGEX REPLACE "${text_head}" "\n  .text           :\n  {\n${hot}" script "${script}")
  string(REGEX REPLACE "${rodata_head}"
    "\n  .rodata.resources : { *(.rodata._ZL16qt_resource_data) }\n  .rodata         : {" script "${script}")

  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}-startup-layout.ld)
  file(WRITE ${output}.new "/* The linker's default script, changed by cmake/StartupLayout.cmake. */\n${script}\n")
  configure_file(${output}.new ${output} COPYONLY)
  target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(${target} PRIVATE -Wl,-T,${output})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${output})
endfunction()
