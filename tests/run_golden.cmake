# Runs one case of tests/golden through the built program, as a user would: the
# case's input/ copied into a fresh directory, keyboard.txt as standard input, args
# (one per line) as arguments, and program naming quorvane-series where it is not
# quorvane. Compares standard output (console.out; stdout_device sends it to a device
# such as /dev/full instead), standard error (console.err), the exit status (status)
# and every file left behind with input/ and expected/.
#   cmake -DBIN=<dir of the programs> -DCASE=<tests/golden/x> -DWORK=<scratch> -P run_golden.cmake
foreach(var BIN CASE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_golden.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}" "${WORK}.stdin" "${WORK}.stdout" "${WORK}.stderr")
file(MAKE_DIRECTORY "${WORK}")
if(EXISTS "${CASE}/input")
  file(COPY "${CASE}/input/" DESTINATION "${WORK}")
endif()
set(program quorvane)
if(EXISTS "${CASE}/program")
  file(STRINGS "${CASE}/program" program)
endif()
set(arguments "")
if(EXISTS "${CASE}/args")
  file(STRINGS "${CASE}/args" arguments)
endif()
set(keyboard "${CASE}/keyboard.txt")
if(NOT EXISTS "${keyboard}")
  set(keyboard "${WORK}.stdin")
  file(WRITE "${keyboard}" "")
endif()
set(stdout "${WORK}.stdout")
if(EXISTS "${CASE}/stdout_device")
  file(STRINGS "${CASE}/stdout_device" stdout)
endif()

# QUORVANE_EMULATOR: Wine, or valgrind. Output goes through files, which keep CRLF.
execute_process(
  COMMAND ${QUORVANE_EMULATOR} "${BIN}/${program}${CMAKE_EXECUTABLE_SUFFIX_CXX}" ${arguments}
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE "${keyboard}"
  OUTPUT_FILE "${stdout}"
  ERROR_FILE "${WORK}.stderr"
  RESULT_VARIABLE status
  TIMEOUT 60)

# Compared as hex bytes, as file(READ) drops carriage returns; expected files hold LF.
function(read_bytes path var crlf)
  set(bytes "")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  endif()
  if(crlf AND TEXT_MODE_CRLF)
    string(REPLACE "0a " "0d 0a " bytes "${bytes}")
  endif()
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

set(failed FALSE)
function(expect_same what want_path got_path)
  read_bytes("${want_path}" want TRUE)
  read_bytes("${got_path}" got FALSE)
  if(NOT want STREQUAL got)
    message(SEND_ERROR "${what} differs\n--- expected bytes ---\n${want}\n--- got bytes ---\n${got}")
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

if(NOT EXISTS "${CASE}/stdout_device")
  expect_same("standard output" "${CASE}/console.out" "${WORK}.stdout")
endif()
expect_same("standard error" "${CASE}/console.err" "${WORK}.stderr")
file(READ "${CASE}/status" want_status)
string(STRIP "${want_status}" want_status)
if(NOT want_status STREQUAL status)
  message(SEND_ERROR "exit status: expected ${want_status}, got ${status}")
  set(failed TRUE)
endif()

file(GLOB_RECURSE inputs RELATIVE "${CASE}/input" "${CASE}/input/*")
file(GLOB_RECURSE results RELATIVE "${CASE}/expected" "${CASE}/expected/*")
foreach(result IN LISTS results)
  expect_same("${result}" "${CASE}/expected/${result}" "${WORK}/${result}")
endforeach()
# Nothing else is left behind: no temporary file, no stray result.
file(GLOB_RECURSE left RELATIVE "${WORK}" "${WORK}/*")
set(want ${inputs} ${results})
list(REMOVE_DUPLICATES want)
list(SORT want)
list(SORT left)
if(NOT "${want}" STREQUAL "${left}")
  message(SEND_ERROR "files left: '${left}', expected '${want}'")
  set(failed TRUE)
endif()

if(failed)
  message(FATAL_ERROR "${CASE}: the program's run differs from the expected one")
endif()
