# Writes a program's manual page from its own help text, so that the page
# says what the program says (run at build time after the program is built):
#   cmake -DPROGRAM=path -DNAME=zelm -DVERSION=x -DSUMMARY="..." -DSEE_ALSO=other
#         [-DCOMMANDS=ON] -DOUT=zelm.1 -P manpage.cmake
# With COMMANDS the page gets a section per command, from `NAME help COMMAND`
# for every command the help text lists. OUT.gz is written beside OUT.
foreach(v PROGRAM NAME VERSION SUMMARY OUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "manpage.cmake: ${v} is not set")
  endif()
endforeach()

# The window program needs a platform for its application object only.
set(ENV{QT_QPA_PLATFORM} offscreen)

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE err
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "manpage.cmake: '${PROGRAM} ${ARGN}' gave status ${status}: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Plain text as roff: backslashes and hyphens escaped, a line that starts
# with a control character defused.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(help --help)
string(TOUPPER "${NAME}" upper)
roff(name_roff "${NAME}")
roff(summary_roff "${SUMMARY}")

# The synopsis: the usage lines at the top; the rest describes.
# (Semicolons would split the list of lines; they come back below.)
string(REPLACE ";" "@SEMICOLON@" lines "${help}")
string(REPLACE "\n" ";" lines "${lines}")
set(synopsis "")
set(description "")
set(in_usage TRUE)
foreach(line IN LISTS lines)
  if(in_usage AND line MATCHES "^([Uu]sage: +| +)(${NAME} .*)$")
    string(APPEND synopsis "${CMAKE_MATCH_2}\n")
  else()
    set(in_usage FALSE)
    string(APPEND description "${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^\n+" "" description "${description}")
string(REPLACE "@SEMICOLON@" ";" synopsis "${synopsis}")
string(REPLACE "@SEMICOLON@" ";" description "${description}")
roff(synopsis "${synopsis}")
roff(description "${description}")

set(page ".TH ${upper} 1 \"\" \"Zelm Tessara ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${name_roff} \\- ${summary_roff}\n")
string(APPEND page ".SH SYNOPSIS\n.nf\n${synopsis}\n.fi\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${description}\n.fi\n")

if(COMMANDS)
  string(APPEND page ".SH COMMANDS\n")
  string(REGEX MATCHALL "\n  ${NAME} ([a-z][a-z-]*)" listed "${help}")
  foreach(entry IN LISTS listed)
    string(REGEX REPLACE "^\n  ${NAME} " "" command "${entry}")
    help_of(text help ${command})
    roff(text "${text}")
    roff(command_roff "${command}")
    string(APPEND page ".SS ${command_roff}\n.nf\n${text}\n.fi\n")
  endforeach()
endif()

if(DEFINED SEE_ALSO)
  roff(see "${SEE_ALSO}")
  string(APPEND page ".SH SEE ALSO\n.BR ${see} (1)\n")
endif()

file(WRITE "${OUT}" "${page}")
execute_process(COMMAND gzip -9 -n -c "${OUT}" OUTPUT_FILE "${OUT}.gz" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "manpage.cmake: gzip failed")
endif()
