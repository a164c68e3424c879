# Keeps the layers apart: the platform stands in for the phone's frameworks
# and the JSON reader is a library of its own, so neither may know the ad
# library or the app, and the platform does not read JSON. The platform also
# has no app built in: names, files, prefixes and salts come from the app's
# identity, so no source of platform/ or json/ may name the app.
#
#   cmake -DROOT=<source tree> -P CheckDependencies.cmake
# Exits with an error listing every offending line.

if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()

set(_rules
  # folder @@ forbidden pattern @@ what it means
  "platform@@#include[ \t]*[\"<](ads|Classes)/@@includes the ad library or the app"
  "platform@@#include[ \t]*[\"<]json/@@includes the JSON reader"
  "json@@#include[ \t]*[\"<](ads|Classes)/@@includes the ad library or the app"
  "platform@@[Vv][Oo][Rr][Ll][Aa]@@names the app"
  "json@@[Vv][Oo][Rr][Ll][Aa]@@names the app"
  "platform@@pennant_(ads|json)@@links the ad library or the JSON reader"
  "json@@pennant_ads@@links the ad library"
)

set(_failures "")
foreach(_rule IN LISTS _rules)
  string(REPLACE "@@" ";" _parts "${_rule}")
  list(GET _parts 0 _folder)
  list(GET _parts 1 _pattern)
  list(GET _parts 2 _meaning)
  file(GLOB_RECURSE _files "${ROOT}/${_folder}/*.h" "${ROOT}/${_folder}/*.cpp" "${ROOT}/${_folder}/CMakeLists.txt")
  foreach(_file IN LISTS _files)
    file(STRINGS "${_file}" _lines REGEX "${_pattern}")
    foreach(_line IN LISTS _lines)
      file(RELATIVE_PATH _relative "${ROOT}" "${_file}")
      string(STRIP "${_line}" _line)
      string(APPEND _failures "  ${_relative} ${_meaning}: ${_line}\n")
    endforeach()
  endforeach()
endforeach()

if(_failures)
  message(FATAL_ERROR "Layer rules broken:\n${_failures}")
endif()
message(STATUS "platform/ and json/ know neither the ad library nor the app")
