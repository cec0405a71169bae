# The test serves the virtual pedal on a pseudo-terminal with the program beside it.
add_dependencies(tst_serialportdriver quarnel-virtual-pedal)
target_compile_definitions(tst_serialportdriver PRIVATE
    QUARNEL_VIRTUAL_PEDAL_PROGRAM="$<TARGET_FILE:quarnel-virtual-pedal>")
# And behind the stand-in for FTDI's library, as where both drivers are installed.
add_dependencies(tst_serialportdriver stand_in_d2xx)
target_compile_definitions(tst_serialportdriver PRIVATE STAND_IN_D2XX="$<TARGET_FILE:stand_in_d2xx>")
