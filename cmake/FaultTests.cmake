# The fault matrix and the bad-input table drive whole runs of the setup through
# setup-sim's sample machines and run report; they compile those two sources in.
foreach(target test_faults test_badinput)
  if(TARGET ${target})
    target_sources(${target} PRIVATE
      ${CMAKE_SOURCE_DIR}/tools/setup-sim/SampleMachine.cpp
      ${CMAKE_SOURCE_DIR}/tools/setup-sim/RunReport.cpp)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tools/setup-sim
                                                 ${CMAKE_SOURCE_DIR}/tools)
  endif()
endforeach()

# A short run of every libFuzzer target (clang; built into this build's fuzz/).
if(SETUP_TESTS)
  find_program(SETUP_FUZZ_CXX NAMES clang++-14 clang++)
  if(SETUP_FUZZ_CXX)
    add_test(NAME fuzz_short
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh --short --out ${CMAKE_BINARY_DIR}/fuzz)
    set_tests_properties(fuzz_short PROPERTIES TIMEOUT 1200 ENVIRONMENT "FUZZ_CXX=${SETUP_FUZZ_CXX}")
  else()
    message(WARNING "no clang++: the fuzzers' short run is left out of the tests")
  endif()
endif()
