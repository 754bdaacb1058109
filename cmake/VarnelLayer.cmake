# One static library per layer of the core; sources are picked up from the layer's folder so
# that adding a file needs no edit of a shared list.
function(varnel_layer name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# One unit-test program per folder under tests/unit, labelled for CTest.
function(varnel_test_folder name dir label)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} varnel_test_support GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} ${VARNEL_TEST_ENVIRONMENT} DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
