# tqen_add_bench(<name> SOURCES ... LIBS ...)
# A benchmark program. It finds the benchmark data sets in bench/data
# (TQEN_BENCH_DATA_DIR; see bench/support/BenchData.h) and the delivered data
# files in the build's bin/data (TQEN_BUILT_DATA_DIR), which are made first.
function(tqen_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  target_compile_definitions(${name} PRIVATE
    TQEN_BENCH_DATA_DIR="${CMAKE_SOURCE_DIR}/bench/data"
    TQEN_BUILT_DATA_DIR="${CMAKE_BINARY_DIR}/bin/data")
  add_dependencies(${name} tqen_datafiles)
endfunction()
