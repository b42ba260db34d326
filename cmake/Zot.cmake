# Project-wide helpers.

if(ZOT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings are errors in our own code.
function(zot_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A GoogleTest executable registered with CTest. Tests run with the offscreen
# Qt platform and their own profile and data folders (set by the fixtures).
function(zot_test name)
  cmake_parse_arguments(ZT "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ZT_SOURCES})
  zot_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ZT_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# One layer of the program: a static library of the folder's sources that
# links only the layers its row in app/CMakeLists.txt names. Each folder is a
# PUBLIC include directory, so a header of a layer not named there is not on
# the include path and including it fails the build.
#   zot_app_library(<folder> [SOURCES ...] [EXCLUDE ...])
function(zot_app_library folder)
  cmake_parse_arguments(ZA "" "" "SOURCES;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${ZA_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  set(target zot_${folder})
  add_library(${target} STATIC ${sources} ${ZA_SOURCES})
  zot_warnings(${target})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(layer ${ZOT_USES_${folder}})
    # Layers land one by one; one not built yet is skipped.
    target_link_libraries(${target} PUBLIC $<TARGET_NAME_IF_EXISTS:zot_${layer}>)
  endforeach()
  target_link_libraries(${target} PUBLIC Qt6::Widgets PRIVATE ${ZOT_PRIVATE_${folder}})
  zot_header_check(${target} ${ZOT_PRIVATE_${folder}} SOURCES ${sources})
endfunction()

# Compiles each header of a layer on its own, with only the include paths
# that layer may use: a header that includes a higher layer, or leans on an
# include it does not make itself, fails here.
#   zot_header_check(<target> [private libraries...] SOURCES ...)
function(zot_header_check target)
  cmake_parse_arguments(ZH "" "" "SOURCES" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/header_check)
  set(units "")
  foreach(f ${ZH_SOURCES})
    if(f MATCHES "\\.h$")
      get_filename_component(name ${f} NAME_WE)
      set(unit ${dir}/${name}_check.cpp)
      file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${f}\"\n")
      list(APPEND units ${unit})
    endif()
  endforeach()
  if(units)
    add_library(${target}_header_check OBJECT ${units})
    target_link_libraries(${target}_header_check PRIVATE ${target} ${ZH_UNPARSED_ARGUMENTS})
    set_target_properties(${target}_header_check PROPERTIES AUTOMOC OFF)
  endif()
endfunction()

# Add each listed sub-folder that exists; lets subsystems land one by one.
function(zot_subdirs)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# A libFuzzer target (clang, ZOT_FUZZ on), placed in <build>/fuzz where
# `./zot test` runs each briefly. Fuzzers live beside the tests of the
# reader they exercise, named fuzz_<reader>.cpp.
function(zot_fuzzer name)
  if(NOT ZOT_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ZF "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ZF_SOURCES})
  zot_warnings(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ZF_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
