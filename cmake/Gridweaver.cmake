# gw_add_library(<target> [DEPS <libs...>])
# Builds every .cpp of the calling folder (subfolders included, except a `qt` subfolder,
# which the caller adds itself) into one static library.
function(gw_add_library target)
  cmake_parse_arguments(GW "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS GW_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  if(NOT srcs)
    # A folder whose code is still all in headers.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    if(GW_DEPS)
      target_link_libraries(${target} INTERFACE ${GW_DEPS})
    endif()
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${GW_WARNINGS})
  if(GW_DEPS)
    target_link_libraries(${target} PUBLIC ${GW_DEPS})
  endif()
endfunction()

# gw_add_test(<target> DIR <folder under tests/> DEPS <libs...>)
# One GoogleTest executable per tests/ folder; every test is registered with CTest.
function(gw_add_test target)
  cmake_parse_arguments(GW "" "DIR" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${GW_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${target} ${srcs})
  target_compile_options(${target} PRIVATE ${GW_WARNINGS})
  target_compile_definitions(${target} PRIVATE
    GW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" GW_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${target} PRIVATE ${GW_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1"
    DISCOVERY_TIMEOUT 60)
endfunction()
