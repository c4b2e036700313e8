# Compiles an example host of the README exactly as the README shows it: the
# C block after the marker <!-- MARKER -->, built as NAME.c with the command
# the README gives (FLAGS are the command's own options before the source,
# LINK those after it). Run by ctest with -DREADME, -DWORK, -DCOMPILER,
# -DINCLUDE, -DMARKER, -DNAME and optionally -DFLAGS and -DLINK.
file(READ ${README} text)
string(FIND "${text}" "<!-- ${MARKER} -->" marker)
if(marker EQUAL -1)
  message(FATAL_ERROR "the README has no ${MARKER} block")
endif()
string(SUBSTRING "${text}" ${marker} -1 text)
string(FIND "${text}" "```c\n" start)
string(FIND "${text}" "\n```\n" end)
math(EXPR start "${start} + 5")
math(EXPR length "${end} - ${start} + 1")
string(SUBSTRING "${text}" ${start} ${length} source)
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/${NAME}.c "${source}")
separate_arguments(flags UNIX_COMMAND "${FLAGS}")
separate_arguments(link UNIX_COMMAND "${LINK}")
execute_process(
  COMMAND ${COMPILER} -Wall -Wextra -Werror ${flags} -I${INCLUDE} ${NAME}.c ${link} -o ${NAME}.exe
  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the README's ${MARKER} does not compile")
endif()
message(STATUS "the README's ${MARKER} compiles and links as shown")
