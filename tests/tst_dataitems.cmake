# The stand-in images promise more than the layout: checks of those only apply
# when no real images were given.
if(NOT QUARNEL_IMAGES_DIR)
    target_compile_definitions(tst_dataitems PRIVATE QUARNEL_PLACEHOLDER_IMAGES)
endif()
