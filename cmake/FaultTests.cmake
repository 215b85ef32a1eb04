# The fault matrix and the bad-input table drive whole runs of the setup through
# setup-sim's sample machines and run report; they compile those two sources in.
foreach(target test_faults test_badinput)
  if(TARGET ${target})
    target_sources(${target} PRIVATE
      ${CMAKE_SOURCE_DIR}/tools/setup-sim/SampleMachine.cpp
      ${CMAKE_SOURCE_DIR}/tools/setup-sim/RunReport.cpp)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tools/setup-sim)
  endif()
endforeach()
