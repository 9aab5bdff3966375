# Helpers shared by every subsystem folder. Sources are picked up by glob so
# that subsystems can grow file by file without touching a shared list.

set_property(GLOBAL PROPERTY ORRIVEL_LIBRARIES "")

# orrivel_library(<name> [DEPS <targets>...] [SOURCES_GLOB <patterns>...])
# Builds the static library orrivel_<name> from the .cpp files of the current
# folder (or the given patterns). Includes are rooted at src/.
function(orrivel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES_GLOB" ${ARGN})
  if(NOT ARG_SOURCES_GLOB)
    set(ARG_SOURCES_GLOB *.cpp)
  endif()
  set(patterns "")
  foreach(p IN LISTS ARG_SOURCES_GLOB)
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${p})
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  if(sources)
    add_library(orrivel_${name} STATIC ${sources})
    target_include_directories(orrivel_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orrivel_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(orrivel_${name} INTERFACE)
    target_include_directories(orrivel_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orrivel_${name} INTERFACE ${ARG_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY ORRIVEL_LIBRARIES orrivel_${name})
endfunction()

# orrivel_tests(<name> [DEPS <targets>...])
# Builds test_<name> from every .cpp of the current tests folder and registers
# each GoogleTest case with CTest. Tests run with the folder as working folder.
function(orrivel_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  # The folders the tests read live in a generated header rather than on the
  # command line, so that only the files that name them depend on where the
  # tree was checked out (the compiler cache is shared between checkouts).
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests
                                                  ${PROJECT_BINARY_DIR}/generated)
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()

# Every orrivel library defined so far, for benchmarks and fuzz targets.
function(orrivel_all_libraries out)
  get_property(libs GLOBAL PROPERTY ORRIVEL_LIBRARIES)
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
