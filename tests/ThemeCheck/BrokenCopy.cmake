# Copies the sample product's resources, breaks them in every way the checker knows,
# runs the checker and expects it to fail naming each fault.
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${RESOURCES}/ DESTINATION ${WORK_DIR}/resources)
set(themes ${WORK_DIR}/resources/themes)
file(COPY ${BROKEN}/Broken.rcc ${BROKEN}/Misplaced.rcc DESTINATION ${themes}/Broken)
file(COPY ${DESCRIPTION} DESTINATION ${themes}/Broken)
file(COPY ${DESCRIPTION} DESTINATION ${themes}/Dark.old)
file(WRITE ${WORK_DIR}/resources/locales/de_DE/broken_de_DE.qm "not a catalogue")
# A description that does not parse leaves its theme out; the other themes are still
# assembled and checked.
file(COPY ${RESOURCES}/themes/Light/ DESTINATION ${themes}/Garbled)
file(WRITE ${themes}/Garbled/theme.json "{\"en_US\": \"Garb")

execute_process(COMMAND ${CHECKER} ${WORK_DIR}/resources OUTPUT_VARIABLE output ERROR_VARIABLE errors
  RESULT_VARIABLE rc)
message("${output}")
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "the checker should fail with status 1, it gave ${rc}: ${errors}")
endif()
set(expected
  "error: theme 'Broken': Broken.rcc:/Broken/style.qss: placeholder @accent is defined nowhere"
  "warning: theme 'Broken': Broken.rcc:/Broken/fonts.json: @unusedName is defined but no style sheet uses it"
  "error: theme 'Broken': Broken.rcc:/Broken/fonts.manifest: the font :/Broken/missing.ttf fails to register"
  "error: theme 'Broken': Broken/theme.json: no title for the shipped language de_DE"
  "error: theme 'Broken': Broken/Misplaced.rcc: the bundle holds nothing under :/Misplaced/"
  "error: theme 'Dark.old': Dark.old: the theme's name has a dot"
  "error: locales/de_DE/broken_de_DE.qm: the catalogue fails to load"
  "error: theme 'Garbled': Garbled/theme.json: the description does not parse: Malformed property text in \"Garbled/theme.json\" at offset ")
foreach(line ${expected})
  string(FIND "${output}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the checker did not report: ${line}")
  endif()
endforeach()
# Image names such as arrow@2x.png are no placeholders.
string(FIND "${output}" "@2x" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the checker took an image name for a placeholder")
endif()
