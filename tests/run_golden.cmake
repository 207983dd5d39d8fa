# Runs the built program on one case of tests/golden, as a user would with piped
# answers, and compares standard output, standard error, the exit status and the
# result files. Usage:
#   cmake -DPROGRAM=<quorvane> -DCASE=<tests/golden/x> -DWORK=<scratch dir> -P run_golden.cmake
foreach(var PROGRAM CASE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_golden.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(EXISTS "${CASE}/input")
  file(COPY "${CASE}/input/" DESTINATION "${WORK}")
endif()

# QUORVANE_EMULATOR lets a cross-built program run under its emulator.
execute_process(
  COMMAND ${QUORVANE_EMULATOR} "${PROGRAM}"
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE "${CASE}/keyboard.txt"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status
  TIMEOUT 60)

set(failed FALSE)
function(expect_same what want got)
  if(NOT want STREQUAL got)
    message(SEND_ERROR "${what} differs\n--- expected ---\n${want}\n--- got ---\n${got}")
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

function(read_expected path var)
  set(text "")
  if(EXISTS "${path}")
    file(READ "${path}" text)
  endif()
  if(TEXT_MODE_CRLF)
    string(REPLACE "\n" "\r\n" text "${text}")
  endif()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

read_expected("${CASE}/console.out" want_out)
read_expected("${CASE}/console.err" want_err)
file(READ "${CASE}/status" want_status)
string(STRIP "${want_status}" want_status)
expect_same("standard output" "${want_out}" "${out}")
expect_same("standard error" "${want_err}" "${err}")
expect_same("exit status" "${want_status}" "${status}")

file(GLOB_RECURSE results RELATIVE "${CASE}/expected" "${CASE}/expected/*")
foreach(result IN LISTS results)
  read_expected("${CASE}/expected/${result}" want_file)
  set(got_file "")
  if(EXISTS "${WORK}/${result}")
    file(READ "${WORK}/${result}" got_file)
  endif()
  expect_same("${result}" "${want_file}" "${got_file}")
endforeach()

if(failed)
  message(FATAL_ERROR "${CASE}: the program's run differs from the expected one")
endif()
