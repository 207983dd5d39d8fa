# Runs the built program on one case of tests/golden, as a user would with piped
# answers, and compares standard output, standard error, the exit status and the
# result files. Usage:
#   cmake -DPROGRAM=<quorvane> -DCASE=<tests/golden/x> -DWORK=<scratch dir> -P run_golden.cmake
foreach(var PROGRAM CASE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_golden.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}" "${WORK}.stdout" "${WORK}.stderr")
file(MAKE_DIRECTORY "${WORK}")
if(EXISTS "${CASE}/input")
  file(COPY "${CASE}/input/" DESTINATION "${WORK}")
endif()

# QUORVANE_EMULATOR lets a cross-built program run under its emulator. The output
# goes through files: OUTPUT_VARIABLE would turn CRLF line ends into LF.
execute_process(
  COMMAND ${QUORVANE_EMULATOR} "${PROGRAM}"
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE "${CASE}/keyboard.txt"
  OUTPUT_FILE "${WORK}.stdout"
  ERROR_FILE "${WORK}.stderr"
  RESULT_VARIABLE status
  TIMEOUT 60)

# Files are compared as hex bytes: file(READ) as text drops carriage returns.
function(read_bytes path var)
  set(bytes "")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  endif()
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

# An expected file holds LF line ends; text mode on Windows writes CRLF.
function(read_expected path var)
  read_bytes("${path}" bytes)
  if(TEXT_MODE_CRLF)
    string(REPLACE "0a " "0d 0a " bytes "${bytes}")
  endif()
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

set(failed FALSE)
function(expect_same what want_path got_path)
  read_expected("${want_path}" want)
  read_bytes("${got_path}" got)
  if(NOT want STREQUAL got)
    message(SEND_ERROR "${what} differs\n--- expected bytes ---\n${want}\n--- got bytes ---\n${got}")
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

expect_same("standard output" "${CASE}/console.out" "${WORK}.stdout")
expect_same("standard error" "${CASE}/console.err" "${WORK}.stderr")
file(READ "${CASE}/status" want_status)
string(STRIP "${want_status}" want_status)
if(NOT want_status STREQUAL status)
  message(SEND_ERROR "exit status: expected ${want_status}, got ${status}")
  set(failed TRUE)
endif()

file(GLOB_RECURSE results RELATIVE "${CASE}/expected" "${CASE}/expected/*")
foreach(result IN LISTS results)
  if(NOT EXISTS "${WORK}/${result}")
    message(SEND_ERROR "${result} was not written")
    set(failed TRUE)
  endif()
  expect_same("${result}" "${CASE}/expected/${result}" "${WORK}/${result}")
endforeach()

if(failed)
  message(FATAL_ERROR "${CASE}: the program's run differs from the expected one")
endif()
