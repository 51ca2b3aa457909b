# Runs one fuzz target for a short while over its seed inputs, starting from a fixed seed with an
# empty folder for what it finds. LUMIQ_FUZZ_SECONDS in the environment lengthens the run.
#   cmake -DFUZZER=<program> -DSEEDS=<seed folder> -DWORK=<work folder> -DSECONDS=<n> -P RunFuzzer.cmake
if(DEFINED ENV{LUMIQ_FUZZ_SECONDS})
  set(SECONDS $ENV{LUMIQ_FUZZ_SECONDS})
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/found)
execute_process(
  COMMAND ${FUZZER} -seed=1 -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/found ${SEEDS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is kept in ${WORK}/")
endif()
