# Installs the freshly built library into a scratch prefix, then configures and
# builds a small product against it with find_package, and runs that product.
# With README set, the product is the first C++ code block of that file instead
# (handed to the product project as EXAMPLE), built but not run: it starts an event
# loop that waits for a user.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
set(product_args "")
if(README)
  file(READ ${README} text)
  string(FIND "${text}" "```cpp\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${README} has no C++ code block")
  endif()
  math(EXPR start "${start} + 7")
  string(SUBSTRING "${text}" ${start} -1 text)
  string(FIND "${text}" "\n```" end)
  string(SUBSTRING "${text}" 0 ${end} text)
  file(WRITE ${WORK_DIR}/example.cpp "${text}\n")
  set(product_args -DEXAMPLE=${WORK_DIR}/example.cpp)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix ${product_args}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the product against the installed package failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the product against the installed package failed: ${rc}")
endif()
if(README)
  return()
endif()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the product built against the installed package failed: ${rc}")
endif()
