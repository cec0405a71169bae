# The test serves the virtual pedal on a pseudo-terminal with the program beside it.
add_dependencies(tst_serialportdriver quarnel-virtual-pedal)
target_compile_definitions(tst_serialportdriver PRIVATE
    QUARNEL_VIRTUAL_PEDAL_PROGRAM="$<TARGET_FILE:quarnel-virtual-pedal>")
