# Compiles the example host of the README exactly as the README shows it:
# the C block after the "example-host" marker, built with the command given
# below it. Run by ctest with -DREADME, -DWORK, -DCOMPILER, -DINCLUDE, -DLIBDIR.
file(READ ${README} text)
string(FIND "${text}" "<!-- example-host -->" marker)
if(marker EQUAL -1)
  message(FATAL_ERROR "the README has no example-host block")
endif()
string(SUBSTRING "${text}" ${marker} -1 text)
string(FIND "${text}" "```c\n" start)
string(FIND "${text}" "\n```\n" end)
math(EXPR start "${start} + 5")
math(EXPR length "${end} - ${start} + 1")
string(SUBSTRING "${text}" ${start} ${length} source)
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/host.c "${source}")
execute_process(
  COMMAND ${COMPILER} -Wall -Werror -I${INCLUDE} host.c -L${LIBDIR} -lTarvexLogo -o host.exe
  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the README's example host does not compile")
endif()
message(STATUS "the README's example host compiles and links against the import library")
