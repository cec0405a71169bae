# stm32flash drives the virtual pedal's bootloader served on a pseudo-terminal
# by the program beside the tests.
add_dependencies(tst_stm32flash quarnel-virtual-pedal)
target_compile_definitions(tst_stm32flash PRIVATE
    QUARNEL_VIRTUAL_PEDAL_PROGRAM="$<TARGET_FILE:quarnel-virtual-pedal>")
