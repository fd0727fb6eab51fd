# Fails unless the simulated library exports exactly the driver's nine entry points and the
# marker by which the bench knows it is the simulator.
# Run as: cmake -DLIBRARY=<path> -DNM=<nm> -P driver_sim_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm could not read ${LIBRARY}")
endif()
string(REPLACE "\n" ";" symbols "${symbols}")
list(FILTER symbols EXCLUDE REGEX "^$")
list(SORT symbols)
set(expected
  Hoistwise_Simulated_Adapter Kestrel_Close Kestrel_Direct_Packed_Config Kestrel_Direct_Packed_MOMO Kestrel_Direct_Packed_Read
  Kestrel_Direct_Packed_Update Kestrel_Disable_Debug Kestrel_Enable_Debug Kestrel_KX9_Open
  Kestrel_PCIKX9_Open)
if(NOT symbols STREQUAL expected)
  message(FATAL_ERROR "exported: ${symbols}\nexpected: ${expected}")
endif()
