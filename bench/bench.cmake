# The `bench` target builds every benchmark and runs each in turn; a benchmark folder joins it by
# including this file and calling orv_add_benchmark. Benchmarks never run as part of the tests.
include_guard(GLOBAL)

find_package(benchmark REQUIRED)
add_custom_target(bench)

# orv_add_benchmark(<name> <sources>...): a Google Benchmark executable run by `bench`.
function(orv_add_benchmark name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE benchmark::benchmark_main)
  add_custom_target(${name}_run COMMAND ${name} DEPENDS ${name} USES_TERMINAL
    COMMENT "Running ${name}")
  add_dependencies(bench ${name}_run)
endfunction()
