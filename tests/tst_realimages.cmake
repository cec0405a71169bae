# In place of the build's images, stand-ins without the placeholder mark, as
# a build with QUARNEL_IMAGES_DIR carries the maker's: made here by the
# placeholder generator and embedded by the build's own function.
include("${PROJECT_SOURCE_DIR}/src/data/EmbedImages.cmake")
set(unmarked_dir "${CMAKE_CURRENT_BINARY_DIR}/unmarked_images")
set(unmarked_files ${QUARNEL_IMAGES})
list(TRANSFORM unmarked_files PREPEND "${unmarked_dir}/")
add_custom_command(
    OUTPUT ${unmarked_files}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${unmarked_dir}"
    COMMAND quarnel_generate_placeholders --unmarked "${unmarked_dir}"
    DEPENDS quarnel_generate_placeholders
    COMMENT "Making unmarked stand-ins for the maker's images"
    VERBATIM)
add_custom_target(tst_realimages_images DEPENDS ${unmarked_files})
add_dependencies(tst_realimages tst_realimages_images)
quarnel_embed_images(tst_realimages "${unmarked_dir}" "_unmarked")
