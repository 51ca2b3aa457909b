# A layer is one static library built from every source below its folder, so that adding a
# file never needs an edit here.
function(lumiq_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
  else()
    add_library(${name} STATIC ${CMAKE_SOURCE_DIR}/src/empty.cpp)
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE LUMIQ_RESOURCES_DIR="${LUMIQ_RESOURCES_DIR}")
  # Coverage for libFuzzer's guidance; the tests link these libraries as they are.
  if(LUMIQ_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# One test program a layer: every *_test.cpp below the folder, with GoogleTest's main unless
# the folder brings its own.
function(lumiq_tests name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  # Tests in a bus/ folder run on a private session bus and are built as programs of their own.
  list(FILTER sources EXCLUDE REGEX "/bus/")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock)
  file(GLOB main_file ${dir}/main.cpp)
  if(NOT main_file)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    LUMIQ_RESOURCES_DIR="${LUMIQ_RESOURCES_DIR}"
    LUMIQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    LUMIQ_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "LUMIQ_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()
