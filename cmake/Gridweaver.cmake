# Layers. Every library states, once, the libraries it may use: the DEPS (linked PUBLIC, so
# their headers are part of its own interface) and PRIVATE_DEPS (used by its sources only, e.g.
# Qt under the platform layer, so the floors above never see Qt's headers). gw_library_deps
# links them and records the statement; gw_write_layer_table writes every statement into
# one table that the layering check (scripts/check-layers, a ctest test) reads.

# gw_library_deps(<target> [DEPS <libs...>] [PRIVATE_DEPS <libs...>])
function(gw_library_deps target)
  cmake_parse_arguments(GW "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
    set(private_scope INTERFACE)
  else()
    set(scope PUBLIC)
    set(private_scope PRIVATE)
  endif()
  if(GW_DEPS)
    target_link_libraries(${target} ${scope} ${GW_DEPS})
  endif()
  if(GW_PRIVATE_DEPS)
    target_link_libraries(${target} ${private_scope} ${GW_PRIVATE_DEPS})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(uses ${GW_DEPS} ${GW_PRIVATE_DEPS})
  # Qt's modules are listed with the modules they bring, so that a library stating Widgets
  # may include Gui and Core headers too.
  foreach(dep IN LISTS uses)
    if(dep MATCHES "^Qt6::")
      gw_record_qt_module(${dep})
    endif()
  endforeach()
  string(REPLACE ";" " " uses "${uses}")
  set_property(GLOBAL APPEND PROPERTY GW_LAYER_TABLE "${target} ${folder} ${uses}")
endfunction()

# Records a Qt module target and the Qt modules it links, as "<module> - <modules...>".
function(gw_record_qt_module module)
  get_property(seen GLOBAL PROPERTY GW_LAYER_QT_SEEN)
  if(module IN_LIST seen)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY GW_LAYER_QT_SEEN ${module})
  set(brings)
  if(TARGET ${module})
    get_target_property(aliased ${module} ALIASED_TARGET)
    set(real ${module})
    if(aliased)
      set(real ${aliased})
    endif()
    get_target_property(links ${real} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links)
      # Qt names its modules with and without the version ("Qt::Gui", "Qt6::Gui").
      if(link MATCHES "^Qt6?::([A-Za-z]+)$")
        list(APPEND brings Qt6::${CMAKE_MATCH_1})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES brings)
  endif()
  string(REPLACE ";" " " line "${module} - ${brings}")
  set_property(GLOBAL APPEND PROPERTY GW_LAYER_TABLE "${line}")
  foreach(link IN LISTS brings)
    gw_record_qt_module(${link})
  endforeach()
endfunction()

# gw_write_layer_table(<file>): one line per library, "<target> <folder> <libraries it may use>",
# and one per Qt module, "<module> - <modules it brings>".
function(gw_write_layer_table file)
  get_property(table GLOBAL PROPERTY GW_LAYER_TABLE)
  list(JOIN table "\n" text)
  file(CONFIGURE OUTPUT ${file} CONTENT
    "# Written by the configure step from each library's stated dependencies.\n${text}\n" @ONLY)
endfunction()

# gw_add_library(<target> [DEPS <libs...>] [PRIVATE_DEPS <libs...>] [EXCLUDE <regex...>])
# Builds every .cpp of the calling folder (subfolders included, except a `qt` subfolder,
# which the caller adds itself) into one static library.
function(gw_add_library target)
  cmake_parse_arguments(GW "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS GW_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  if(NOT srcs)
    # A folder whose code is still all in headers.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
  else()
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${GW_WARNINGS})
  endif()
  gw_library_deps(${target} DEPS ${GW_DEPS} PRIVATE_DEPS ${GW_PRIVATE_DEPS})
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
  # Window tests (targets named *_window) share the one X server: they run one at a time, so
  # no window lies over another's screenshot.
  set(lock)
  if(target MATCHES "_window$")
    set(lock RESOURCE_LOCK x_server)
  endif()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${lock} ENVIRONMENT "QT_QPA_PLATFORM=offscreen\\;QTWEBENGINE_DISABLE_SANDBOX=1"
    DISCOVERY_TIMEOUT 60)
endfunction()
