# The refusals through FTDI's D2XX library (the stand-in beside the tests)
# and through a serial port (the virtual pedal served on a pseudo-terminal).
add_dependencies(tst_placeholderimages stand_in_d2xx quarnel-virtual-pedal)
target_compile_definitions(tst_placeholderimages PRIVATE
    STAND_IN_D2XX="$<TARGET_FILE:stand_in_d2xx>"
    QUARNEL_VIRTUAL_PEDAL_PROGRAM="$<TARGET_FILE:quarnel-virtual-pedal>")
if(NOT QUARNEL_IMAGES_DIR)
    target_compile_definitions(tst_placeholderimages PRIVATE QUARNEL_PLACEHOLDER_IMAGES)
endif()
