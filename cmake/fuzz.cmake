# libFuzzer targets, one for each kind of input the engine reads: FEN, a
# session of UCI or xboard command lines, a PGN file for the book builder,
# a QuorBook.bin, a Polyglot book and quor.cfg. With QUOR_FUZZ the whole
# engine is compiled with clang's coverage counters and the address and
# undefined-behaviour sanitizers (assertions on), and each target in
# tests/fuzz/ becomes a program fuzz_<name>; "make fuzz" runs them.
option(QUOR_FUZZ "Build the libFuzzer targets of tests/fuzz (clang only)" OFF)
if(QUOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUOR_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g")
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)

  add_library(quorfuzzsupport STATIC ${CMAKE_SOURCE_DIR}/tests/fuzz/support/fuzz_support.cpp)
  target_link_libraries(quorfuzzsupport PUBLIC quorcore)
  file(GLOB QUOR_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
  add_custom_target(fuzz_targets)
  foreach(source ${QUOR_FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(fuzz_${name} ${source})
    target_link_libraries(fuzz_${name} PRIVATE quorfuzzsupport)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets fuzz_${name})
  endforeach()
endif()
