# Project-wide helpers.

if(ZOT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Compile less: the program's libraries and tests are built in unity
# batches over one precompiled header each (app or test). Both are measured
# choices (bench/ci_time.sh); either can be switched off to find a file that
# leans on another's includes.
option(ZOT_UNITY "Unity builds of the program's libraries and tests" ON)
option(ZOT_PCH "Precompiled headers for the program's libraries and tests" ON)
set(ZOT_UNITY_BATCH 8 CACHE STRING "Sources per unity batch")
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  option(ZOT_HEADER_CHECK "Compile each header of the program alone against its layer" ON)
else()
  option(ZOT_HEADER_CHECK "Compile each header of the program alone against its layer" OFF)
endif()

# The program's libraries share one precompiled header, built once (same
# flags: warnings, Qt's definitions). Each test executable builds its own:
# Qt's test module defines a macro per test folder, which a shared one would
# contradict.
function(zot_pch_target name header)
  if(TARGET ${name})
    return()
  endif()
  add_library(${name} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch/stub.cpp)
  zot_warnings(${name})
  target_link_libraries(${name} PRIVATE Qt6::Widgets)
  target_precompile_headers(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/${header})
endfunction()

# The program's tests share one precompiled header, built once by a test
# executable of their flags (-fPIE and -O1 as theirs; nothing in it to
# run). They take Qt's test module through zot_qt_test, whose definitions
# name no folder of their own.
function(zot_pch_test)
  if(TARGET zot_pch_test)
    return()
  endif()
  add_executable(zot_pch_test ${PROJECT_SOURCE_DIR}/cmake/pch/stub.cpp)
  zot_warnings(zot_pch_test)
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(zot_pch_test PRIVATE -O1)
  endif()
  target_link_libraries(zot_pch_test PRIVATE Qt6::Widgets zot_qt_test GTest::gtest GTest::gmock GTest::gtest_main)
  target_precompile_headers(zot_pch_test PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/test.h)
endfunction()

# kind: app, test (the program's tests), plain (a test without Qt) or
# batches (unity batches alone).
function(zot_fast_build target kind)
  if(ZOT_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${ZOT_UNITY_BATCH})
  endif()
  if(NOT ZOT_PCH OR kind STREQUAL "batches")
    return()
  endif()
  if(kind STREQUAL "test")
    target_link_libraries(${target} PRIVATE Qt6::Widgets zot_qt_test GTest::gtest GTest::gmock)
    zot_pch_test()
    target_precompile_headers(${target} REUSE_FROM zot_pch_test)
  elseif(kind STREQUAL "plain")
    target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/plain_test.h)
  else()
    zot_pch_target(zot_pch_app app.h)
    target_precompile_headers(${target} REUSE_FROM zot_pch_app)
  endif()
endfunction()

# Warnings are errors in our own code.
function(zot_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A GoogleTest executable registered with CTest. Tests run with the offscreen
# Qt platform and their own profile and data folders (set by the fixtures).
#   zot_test(<name> SOURCES ... LIBS ... [SANITIZED <test files> | SANITIZED NONE] [SLOW <gtest filter>])
# SANITIZED: the test files the sanitizer build compiles (readers of outside
# bytes, drag blocks, item lifetimes); NONE leaves the executable out of it.
# Without it the sanitizer build takes every file. Files that are not tests
# (*Test.cpp) are always compiled.
# SLOW: the tests that wait out real time; ctest starts them first.
function(zot_test name)
  cmake_parse_arguments(ZT "" "SLOW" "SOURCES;LIBS;SANITIZED" ${ARGN})
  set(sources ${ZT_SOURCES})
  if(ZOT_SANITIZE AND ZT_SANITIZED)
    if(ZT_SANITIZED STREQUAL "NONE")
      return()
    endif()
    set(sources "")
    foreach(source ${ZT_SOURCES})
      get_filename_component(file ${source} NAME)
      if(NOT file MATCHES "Test\\.cpp$" OR file IN_LIST ZT_SANITIZED)
        list(APPEND sources ${source})
      endif()
    endforeach()
  endif()
  add_executable(${name} ${sources})
  zot_warnings(${name})
  # Test code is a third of the code but most of the optimiser's time: at
  # -O1 it compiles 30% faster and runs as fast. The product keeps -O3 and
  # the warnings it adds.
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(${name} PRIVATE -O1)
  endif()
  target_link_libraries(${name} PRIVATE ${ZT_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests/app(/|$)")
    zot_fast_build(${name} test)
  else()
    # A precompiled header pays off from a few sources on.
    list(LENGTH sources count)
    if(count GREATER 2)
      zot_fast_build(${name} plain)
    endif()
  endif()
  set(environment ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ZT_SLOW)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${ZT_SLOW}" PROPERTIES ${environment} COST 1000)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${ZT_SLOW}" PROPERTIES ${environment})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${environment})
  endif()
endfunction()

# One layer of the program: a static library of the folder's sources that
# links only the layers its row in app/CMakeLists.txt names. Each folder is a
# PUBLIC include directory, so a header of a layer not named there is not on
# the include path and including it fails the build.
#   zot_app_library(<folder> [SOURCES ...] [EXCLUDE ...])
function(zot_app_library folder)
  cmake_parse_arguments(ZA "" "" "SOURCES;EXCLUDE" ${ARGN})
  # The rows, for the test that checks the build keeps them.
  set_property(GLOBAL APPEND PROPERTY ZOT_LAYERS ${folder})
  set_property(GLOBAL PROPERTY ZOT_USES_${folder} ${ZOT_USES_${folder}})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${ZA_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  set(target zot_${folder})
  if(NOT sources AND NOT ZA_SOURCES)
    # A layer whose first files have not landed yet: its row and include
    # path stand, with nothing to compile.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    foreach(layer ${ZOT_USES_${folder}})
      target_link_libraries(${target} INTERFACE $<TARGET_NAME_IF_EXISTS:zot_${layer}>)
    endforeach()
    target_link_libraries(${target} INTERFACE Qt6::Widgets)
    return()
  endif()
  add_library(${target} STATIC ${sources} ${ZA_SOURCES})
  zot_warnings(${target})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(layer ${ZOT_USES_${folder}})
    # Layers land one by one; one not built yet is skipped.
    target_link_libraries(${target} PUBLIC $<TARGET_NAME_IF_EXISTS:zot_${layer}>)
  endforeach()
  target_link_libraries(${target} PUBLIC Qt6::Widgets PRIVATE ${ZOT_PRIVATE_${folder}})
  zot_fast_build(${target} app)
  zot_header_check(${target} ${ZOT_PRIVATE_${folder}} SOURCES ${sources})
endfunction()

# Compiles each header of a layer on its own, with only the include paths
# that layer may use: a header that includes a higher layer, or leans on one
# of our headers it does not include itself, fails here. The layers are the
# same in every build, so only the clang build checks them, where a
# precompiled header of Qt and the standard library makes each check a
# tenth of a second (gcc's took three seconds with or without one, a third
# of the Release build). ZOT_HEADER_CHECK forces them on or off.
#   zot_header_check(<target> [private libraries...] SOURCES ...)
function(zot_header_check target)
  if(NOT ZOT_HEADER_CHECK)
    return()
  endif()
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
    zot_warnings(${target}_header_check)
    target_link_libraries(${target}_header_check PRIVATE ${target} ${ZH_UNPARSED_ARGUMENTS})
    # Each header alone: no batches. Its own precompiled header: it shares
    # no flags with a library's.
    set_target_properties(${target}_header_check PROPERTIES AUTOMOC OFF UNITY_BUILD OFF)
    target_precompile_headers(${target}_header_check PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/app.h)
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
# `./zot test` runs each over its seeds and then briefly. Fuzzers live beside
# the tests of the reader they exercise, named fuzz_<reader>.cpp, with their
# seeds in corpus/fuzz_<reader>/ (or a folder named by SEEDS, copied to
# <build>/fuzz/<name>.seeds) and their tokens in fuzz_<reader>.dict. The
# libraries a fuzz target links are instrumented too: without their
# coverage counters the fuzzer would not see the reader's branches.
function(zot_fuzzer name)
  if(NOT ZOT_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ZF "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  if(ZF_SEEDS)
    file(GLOB seeds ${ZF_SEEDS}/*)
    file(COPY ${seeds} DESTINATION ${CMAKE_BINARY_DIR}/fuzz/${name}.seeds)
  endif()
  add_executable(${name} ${ZF_SOURCES})
  zot_warnings(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ZF_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  zot_instrument_for_fuzzing(${ZF_LIBS})
endfunction()

# Gives our static libraries among libs, and the ones they link (and the
# precompiled header they share), the fuzzer's coverage instrumentation (the fuzzer's own runtime comes with
# the fuzz target; other programs that link them need none).
function(zot_instrument_for_fuzzing)
  foreach(lib ${ARGN})
    # Layers name each other as $<TARGET_NAME_IF_EXISTS:zot_...>.
    if(lib MATCHES "^\\$<TARGET_NAME_IF_EXISTS:(.+)>$")
      set(lib ${CMAKE_MATCH_1})
    endif()
    if(NOT TARGET ${lib})
      continue()
    endif()
    get_target_property(imported ${lib} IMPORTED)
    get_target_property(done ${lib} ZOT_FUZZ_INSTRUMENTED)
    if(imported OR done)
      continue()
    endif()
    set_property(TARGET ${lib} PROPERTY ZOT_FUZZ_INSTRUMENTED ON)
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
      target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
    # A library on the shared precompiled header needs it built alike.
    get_target_property(pch ${lib} PRECOMPILE_HEADERS_REUSE_FROM)
    if(pch)
      zot_instrument_for_fuzzing(${pch})
    endif()
    get_target_property(deps ${lib} LINK_LIBRARIES)
    if(deps)
      zot_instrument_for_fuzzing(${deps})
    endif()
  endforeach()
endfunction()
