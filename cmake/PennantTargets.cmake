# Small helpers so that every folder of the tree becomes one target without
# listing its files: adding a .cpp file to a folder adds it to the build.

# pennant_library(NAME DIR [DEPS...]): a static library of every .cpp in DIR,
# or an interface library when DIR has headers only. Headers are included by
# their path from the repository root ("json/JSONScanner.h").
function(pennant_library name dir)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  if(_sources)
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# pennant_test(NAME DIR [DEPS...]): one GoogleTest executable of every .cpp in
# DIR, registered with CTest under NAME. Does nothing while DIR has no tests.
function(pennant_test name dir)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  if(NOT _sources)
    return()
  endif()
  # Every test program gets the sanitizer settings for the font libraries.
  add_executable(${name} ${_sources} ${CMAKE_SOURCE_DIR}/tests/support/LeakSuppressions.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "PENNANT_SOURCE_DIR=${CMAKE_SOURCE_DIR};PENNANT_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
