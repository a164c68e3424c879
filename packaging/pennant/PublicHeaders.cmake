# Lays out the headers a host program compiles against: the given roots and
# every project header they include, transitively, in one flat folder, each
# include of a project header rewritten to its file name. A host then writes
# #include <pennant/PennantView.h> and never sees the project's folders, so
# they cannot clash with its own. Two headers of the same name would be one
# file: that stops the build.
#
#   cmake -DROOT=<source tree> -DOUT=<folder> -DROOTS=a/B.h,c/D.h -DSTAMP=<file> -P PublicHeaders.cmake

cmake_minimum_required(VERSION 3.25)

string(REPLACE "," ";" _queue "${ROOTS}")
set(_seen "")
set(_names "")
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
while(_queue)
  list(POP_FRONT _queue _header)
  if(_header IN_LIST _seen)
    continue()
  endif()
  list(APPEND _seen ${_header})
  get_filename_component(_name ${_header} NAME)
  if(_name IN_LIST _names)
    message(FATAL_ERROR "Two public headers are named ${_name}; the second is ${_header}")
  endif()
  list(APPEND _names ${_name})

  file(READ ${ROOT}/${_header} _text)
  string(REGEX MATCHALL "#include \"[^\"]+\"" _includes "${_text}")
  foreach(_include IN LISTS _includes)
    string(REGEX REPLACE "#include \"([^\"]+)\"" "\\1" _included "${_include}")
    if(NOT EXISTS ${ROOT}/${_included})
      message(FATAL_ERROR "${_header} includes ${_included}, which is not a project header")
    endif()
    get_filename_component(_included_name ${_included} NAME)
    string(REPLACE "${_include}" "#include \"${_included_name}\"" _text "${_text}")
    list(APPEND _queue ${_included})
  endforeach()
  file(WRITE ${OUT}/${_name} "${_text}")
endwhile()
file(WRITE ${STAMP} "${_names}\n")
