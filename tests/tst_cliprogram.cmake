# The test runs the program itself, and serves the virtual pedal on a
# pseudo-terminal for --port.
add_dependencies(tst_cliprogram quarnel-cli quarnel-virtual-pedal)
target_compile_definitions(tst_cliprogram PRIVATE
    QUARNEL_CLI_PROGRAM="$<TARGET_FILE:quarnel-cli>"
    QUARNEL_VIRTUAL_PEDAL_PROGRAM="$<TARGET_FILE:quarnel-virtual-pedal>")
