# Makes the Windows download: one folder, NAME/, holding the three programs (stripped),
# OLVASSEL.txt and LICENSE.txt (UTF-8 with a byte order mark and CR LF line ends, so
# every Notepad shows the accents), and the sample report in minta\.
# Run by the talvorix-zip target:
#   cmake -DNAME=... -DOUTPUT=....zip -DSTAGE=DIR -DSTRIP=... -DPROGRAMS="a.exe;b.exe"
#         -DREADME=OLVASSEL.txt -DLICENSE=LICENSE -DSAMPLE=x.html -DMTIME="YYYY-MM-DD"
#         [-DPAGE=talvorix.html] -P make_zip.cmake
# PAGE, the page for the browser, goes beside the programs when given.

foreach(var NAME OUTPUT STAGE STRIP PROGRAMS README LICENSE SAMPLE MTIME)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "make_zip.cmake: ${var} is not set")
  endif()
endforeach()

set(dir ${STAGE}/${NAME})
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${dir}/minta)

foreach(program IN LISTS PROGRAMS)
  get_filename_component(file ${program} NAME)
  file(COPY_FILE ${program} ${dir}/${file})
  execute_process(COMMAND ${STRIP} --strip-all ${dir}/${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "make_zip.cmake: ${STRIP} failed on ${file}")
  endif()
endforeach()

# Text for Windows: a byte order mark, then the text with CR LF line ends.
string(ASCII 239 187 191 bom)
foreach(pair "${README}|OLVASSEL.txt" "${LICENSE}|LICENSE.txt")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${dir}/${to} "${bom}${text}")
endforeach()

file(COPY_FILE ${SAMPLE} ${dir}/minta/fordulo-112.html)
if(DEFINED PAGE AND NOT PAGE STREQUAL "")
  file(COPY_FILE ${PAGE} ${dir}/talvorix.html)
endif()

# Listed one by one, so the archive's order is fixed; every entry gets the release date.
file(GLOB_RECURSE entries RELATIVE ${STAGE} ${dir}/*)
list(SORT entries)
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip "--mtime=${MTIME} 12:00:00 UTC" ${entries}
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "make_zip.cmake: could not write ${OUTPUT}")
endif()
