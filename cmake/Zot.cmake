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
