# The stand-in for FTDI's library, once complete and once without FT_Purge.
add_library(stand_in_d2xx SHARED "${CMAKE_CURRENT_SOURCE_DIR}/stand_in_d2xx/stand_in_d2xx.cpp")
add_library(stand_in_d2xx_incomplete SHARED "${CMAKE_CURRENT_SOURCE_DIR}/stand_in_d2xx/stand_in_d2xx.cpp")
target_compile_definitions(stand_in_d2xx_incomplete PRIVATE STAND_IN_WITHOUT_PURGE)
set_target_properties(stand_in_d2xx stand_in_d2xx_incomplete PROPERTIES CXX_VISIBILITY_PRESET hidden)
add_dependencies(tst_d2xxlibrarydriver stand_in_d2xx stand_in_d2xx_incomplete)
target_compile_definitions(tst_d2xxlibrarydriver PRIVATE
    STAND_IN_D2XX="$<TARGET_FILE:stand_in_d2xx>"
    STAND_IN_D2XX_INCOMPLETE="$<TARGET_FILE:stand_in_d2xx_incomplete>")
