# The effect and firmware images under :/data/ with their own names, as the
# editor looks them up. One function for the build's images and for a test
# that embeds stand-ins for the maker's images in their place.

set(QUARNEL_EFFECT_IMAGES
    QUARNEL_MK3_0008 QUARNEL_MK3_0009 QUARNEL_MK3_0010 QUARNEL_MK3_0011
    QUARNEL_MK3_0012 QUARNEL_MK3_0013 QUARNEL_MK3_0014 QUARNEL_MK3_0015)
set(QUARNEL_FIRMWARE_IMAGES
    FIRMWARE_5 FIRMWARE_6 FIRMWARE_7 FIRMWARE_8 FIRMWARE_9 FIRMWARE_10 FIRMWARE_11
    FIRMWARE_12 FIRMWARE_13 FIRMWARE_14 FIRMWARE_15 FIRMWARE_16 FIRMWARE_17)
set(QUARNEL_IMAGES ${QUARNEL_EFFECT_IMAGES} ${QUARNEL_FIRMWARE_IMAGES})

# Embeds the images of folder (files named as above) into target, as the two
# resources quarnel_effects<suffix> and quarnel_firmware<suffix>.
function(quarnel_embed_images target folder suffix)
    set(effect_files "")
    set(firmware_files "")
    foreach(image IN LISTS QUARNEL_IMAGES)
        set(image_file "${folder}/${image}")
        set_source_files_properties("${image_file}" PROPERTIES QT_RESOURCE_ALIAS "${image}")
        if(image IN_LIST QUARNEL_FIRMWARE_IMAGES)
            list(APPEND firmware_files "${image_file}")
        else()
            list(APPEND effect_files "${image_file}")
        endif()
    endforeach()
    # The effect image of the running effect is read whenever the effect
    # window opens: stored as it is, read in place.
    qt_add_resources(${target} quarnel_effects${suffix}
        PREFIX /data
        OPTIONS --no-compress
        FILES ${effect_files})
    # The firmware images, most of the bytes, are read only for an upgrade:
    # packed where packing pays, and kept apart from what every start reads,
    # so that start-up pages in none of them.
    qt_add_resources(${target} quarnel_firmware${suffix}
        PREFIX /data
        FILES ${firmware_files})
endfunction()
