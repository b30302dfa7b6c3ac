# The player's built-in pictures (drawn by tools/zsp-draw-images) as binary
# data: a static library whose header ZspPlayerImages.h declares them in the
# namespace ZspPlayerImages. Shared by the plugin and the fuzzers.
function(zsp_add_player_images target)
    get_filename_component(imageDir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/images ABSOLUTE)
    juce_add_binary_data(${target}
        NAMESPACE ZspPlayerImages
        HEADER_NAME ZspPlayerImages.h
        SOURCES
            ${imageDir}/default_background.png
            ${imageDir}/default_button.png
            ${imageDir}/default_meter.png)
endfunction()
