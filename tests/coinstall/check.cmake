# Installs the Qt 5 and the Qt 6 build of the library into one prefix, as a system
# that offers both does. Each is first installed alone to list its files: not one path
# may appear in both lists. Then, from the shared prefix, the README's example is built
# against each package, and the small product is built against each and run.
# BUILDS: the two build folders; PACKAGES: their package names, in the same order
# (each separated by "|"). Exits with 77 (reported as skipped) when a build folder has
# not been configured yet.
string(REPLACE "|" ";" BUILDS "${BUILDS}")
string(REPLACE "|" ";" PACKAGES "${PACKAGES}")
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
foreach(build IN LISTS BUILDS)
  if(NOT EXISTS ${build}/cmake_install.cmake)
    message("no build in ${build}: build it first (make build QT=5 / QT=6)")
    cmake_language(EXIT 77)
  endif()
endforeach()

function(install_into build prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${build} --prefix ${prefix}
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(rc)
    message(FATAL_ERROR "installing ${build} into ${prefix} failed: ${rc}")
  endif()
endfunction()

set(all_files "")
set(index 0)
foreach(build IN LISTS BUILDS)
  set(alone ${WORK_DIR}/alone-${index})
  install_into(${build} ${alone})
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${alone} ${alone}/*)
  list(LENGTH files count)
  if(count EQUAL 0)
    message(FATAL_ERROR "${build} installs nothing")
  endif()
  foreach(file IN LISTS files)
    if(file IN_LIST all_files)
      message(SEND_ERROR "both packages install ${file}")
    endif()
  endforeach()
  list(APPEND all_files ${files})
  math(EXPR index "${index} + 1")
endforeach()
list(LENGTH all_files expected)

set(prefix ${WORK_DIR}/prefix)
foreach(build IN LISTS BUILDS)
  install_into(${build} ${prefix})
endforeach()
file(GLOB_RECURSE shared LIST_DIRECTORIES false RELATIVE ${prefix} ${prefix}/*)
list(LENGTH shared count)
if(NOT count EQUAL expected)
  message(FATAL_ERROR "the shared prefix holds ${count} files, the two packages ${expected}")
endif()

# The README's first C++ block, as tests/consumer/check.cmake extracts it.
file(READ ${README} text)
string(FIND "${text}" "```cpp\n" start)
math(EXPR start "${start} + 7")
string(SUBSTRING "${text}" ${start} -1 text)
string(FIND "${text}" "\n```" end)
string(SUBSTRING "${text}" 0 ${end} text)
file(WRITE ${WORK_DIR}/example.cpp "${text}\n")

function(build_product name source package)
  set(binary ${WORK_DIR}/${name}-${package})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${source} -B ${binary} -G Ninja
      -DCMAKE_PREFIX_PATH=${prefix} -DTALVEX_PACKAGE=${package} -DEXAMPLE=${WORK_DIR}/example.cpp
    RESULT_VARIABLE rc)
  if(NOT rc)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${binary} RESULT_VARIABLE rc)
  endif()
  if(rc)
    message(FATAL_ERROR "building the ${name} against ${package} from the shared prefix failed: ${rc}")
  endif()
endfunction()

foreach(package IN LISTS PACKAGES)
  build_product(readme ${SOURCE_DIR}/readme ${package})
  build_product(consumer ${SOURCE_DIR}/consumer ${package})
  execute_process(COMMAND ${WORK_DIR}/consumer-${package}/consumer RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "the product built against ${package} from the shared prefix failed: ${rc}")
  endif()
endforeach()
