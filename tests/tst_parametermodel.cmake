# Only the stand-in images promise what the older ones carry in every word.
if(NOT QUARNEL_IMAGES_DIR)
    target_compile_definitions(tst_parametermodel PRIVATE QUARNEL_PLACEHOLDER_IMAGES)
endif()
