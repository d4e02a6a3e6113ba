# Installs the build into a scratch prefix and runs the installed quorvel-cli from there, with
# no generator files beside it and its data directory named, so only the share directory of
# the prefix can supply the English templates and dictionary.
file(REMOVE_RECURSE ${DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${DIR}/prefix
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(cli ${DIR}/prefix/bin/quorvel-cli${EXE})
foreach(name templates_beginner.txt english_telegram_templates.txt english_telegram_dictionary.txt)
  if(NOT EXISTS ${DIR}/prefix/share/quorvel/${name})
    message(FATAL_ERROR "not installed: share/quorvel/${name}")
  endif()
  if(EXISTS ${DIR}/prefix/bin/${name})
    message(FATAL_ERROR "${name} beside the installed program would hide the share lookup")
  endif()
endforeach()

file(MAKE_DIRECTORY ${DIR}/data)
execute_process(COMMAND ${EMULATOR} ${cli} generate --lang latin --seed 7 --data-dir ${DIR}/data
                        --out ${DIR}/data/set.txt
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed quorvel-cli generate failed (${rc}): ${out}${err}")
endif()
file(READ ${DIR}/data/set.txt text)
if(NOT text MATCHES "\\[Text\\]")
  message(FATAL_ERROR "generated set has no telegram text:\n${text}")
endif()
