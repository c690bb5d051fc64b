# The fuzz targets, built two ways: by clang with libFuzzer
# (tests/fuzz/CMakeLists.txt, -DMIRTUN_FUZZ=ON), and by the test build with
# the replay driver, which ctest runs over each target's seed corpus in
# tests/fuzz/corpus/<name>/.
set(MIRTUN_FUZZ_TARGETS asx cli flac id3 list mp4 ogg pls playtime source store xml xspf)

function(mirtun_add_fuzz_target exe name)
  set(dir ${CMAKE_SOURCE_DIR}/tests/fuzz)
  add_executable(${exe} ${dir}/fuzz_${name}.cpp ${ARGN})
  if(name STREQUAL "cli")
    target_sources(${exe} PRIVATE ${dir}/cli_main.cpp)
  endif()
  target_compile_definitions(${exe} PRIVATE MIRTUN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(${exe} PRIVATE mirtun_core)
endfunction()
