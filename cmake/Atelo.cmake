# atelo_library(<folder> DEPS <targets...>)
# One static library per source folder, named atelo_<folder>, from every
# .cpp below it.
function(atelo_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  if(sources)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(atelo_${folder} STATIC ${sources})
    target_include_directories(atelo_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(atelo_${folder} PUBLIC ${ARG_DEPS})
  else()
    # A folder of headers only, so far.
    add_library(atelo_${folder} INTERFACE)
    target_include_directories(atelo_${folder} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(atelo_${folder} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# atelo_test(<name> SOURCES <files...> DEPS <targets...> [TIMEOUT s])
# A GoogleTest program run by CTest with Qt's offscreen platform, a private
# HOME and a private link directory, so tests never touch the user's files.
function(atelo_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE atelo_test_support ${ARG_DEPS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ATELO_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};ATELO_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# atelo_benchmark(<name> SOURCES <files...> DEPS <targets...>)
function(atelo_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${ARG_DEPS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
endfunction()
