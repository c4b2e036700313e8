# The README's two tables of the probe against the probe itself: every
# option `--help` lists is in the options table and the other way round, and
# every top-level field of the report is in the fields table and the other
# way round. Run by ctest inside a Wine session with -DREADME, -DPROBE (the
# built startup-probe.exe) and -DEMULATOR.

# The names in backticks in the first column of the table that follows
# `heading` in the README, each matching `pattern`, into `out`.
function(table_names heading pattern out)
  file(READ ${README} text)
  string(FIND "${text}" "${heading}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README has no \"${heading}\"")
  endif()
  string(SUBSTRING "${text}" ${at} -1 text)
  string(FIND "${text}" "\n|" start)
  string(SUBSTRING "${text}" ${start} -1 text)
  string(FIND "${text}" "\n\n" end)
  string(SUBSTRING "${text}" 0 ${end} text)
  string(REPLACE "\n" ";" rows "${text}")
  set(names "")
  foreach(row ${rows})
    # The first column, without the header row and the rule under it.
    if(NOT row MATCHES "^\\| *`")
      continue()
    endif()
    string(REGEX REPLACE "^\\|([^|]*)\\|.*" "\\1" first "${row}")
    string(REGEX MATCHALL "`${pattern}" found "${first}")
    foreach(name ${found})
      string(SUBSTRING "${name}" 1 -1 name)
      list(APPEND names ${name})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# Fails with what one side has and the other lacks.
function(compare what documented actual)
  set(missing ${actual})
  list(REMOVE_ITEM missing ${documented} "")
  set(stale ${documented})
  list(REMOVE_ITEM stale ${actual} "")
  if(missing OR stale)
    message(FATAL_ERROR "the README's ${what} table is out of date: it lacks [${missing}], and names [${stale}], "
                        "which the probe has not")
  endif()
  list(LENGTH actual count)
  message(STATUS "the README's ${what} table names all ${count} of them, and nothing else")
endfunction()

function(run_probe out)
  execute_process(COMMAND ${EMULATOR} ${PROBE} ${ARGN} --pump-ms 0 --status-pump-ms 0 OUTPUT_VARIABLE report
    ERROR_QUIET RESULT_VARIABLE result)
  string(JSON type ERROR_VARIABLE error TYPE "${report}")
  if(NOT type STREQUAL OBJECT)
    message(FATAL_ERROR "the probe (${ARGN}) gave no report (exit ${result}):\n${report}")
  endif()
  set(${out} "${report}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${EMULATOR} ${PROBE} --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "startup-probe.exe --help exited ${result}")
endif()
# Options are the lines of the help that begin with one.
string(REGEX MATCHALL "\n  --[a-z0-9-]+" listed "${help}")
set(options "")
foreach(option ${listed})
  string(STRIP "${option}" option)
  list(APPEND options ${option})
endforeach()
list(SORT options)
table_names("`startup-probe.exe --help` lists its options" "--[a-z0-9-]+" documented)
compare(options "${documented}" "${options}")

# These runs between them give every field: a start with the status line
# (from this thread and from a worker), the logo closed and an exit command
# left (one that starts nothing); a library that does not load; load cycles;
# a worker's close and a worker's unload.
# (No empty argument: it would be lost on the way.)
run_probe(started /nologo --status "Loading modules..." --status-from-thread "Opening the last project..."
          --close-logo --status-after-close "Closed" --exit-command "no-such-program")
run_probe(failed --library no-such-library.dll)
run_probe(cycled /nologo --cycles 1)
run_probe(closedByWorker /nologo --from-thread close)
run_probe(unloadedByWorker /nologo --from-thread unload)
set(fields "")
foreach(report "${started}" "${failed}" "${cycled}" "${closedByWorker}" "${unloadedByWorker}")
  string(JSON count LENGTH "${report}")
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON field MEMBER "${report}" ${i})
    list(APPEND fields ${field})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES fields)
list(SORT fields)
table_names("Report fields" "[a-zA-Z]+" documented)
compare(fields "${documented}" "${fields}")
