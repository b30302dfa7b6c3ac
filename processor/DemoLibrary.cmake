# The demo instruments in the library folder of every plugin format, in the
# build tree and when installed, so that a host lists it as a program at once.
#
# A plugin's library folder lies beside its library file, named after it:
#   VST 3       <bundle>.vst3/Contents/x86_64-linux/Zarvo Sampler Player.instruments
#   LV2         <bundle>.lv2/Zarvo Sampler Player.instruments
#   VST 2       libZarvo Sampler Player.instruments beside libZarvo Sampler Player.so
#   Standalone  Zarvo Sampler Player.instruments beside the program
option(ZSP_DEMO_LIBRARY "Put the demo instruments into the plugins' library folders (needs sox)" ON)
set(ZSP_STANDALONE_INSTALL_DIR "${ZSP_PLUGIN_INSTALL_ROOT}/.local/opt/zarvo-sampler-player" CACHE PATH
    "Folder that receives the standalone player and its instrument library")

set(ZSP_FORMAT_TARGETS ZarvoSamplerPlayer_VST3 ZarvoSamplerPlayer_LV2 ZarvoSamplerPlayer_VST ZarvoSamplerPlayer_Standalone)

install(PROGRAMS "$<TARGET_FILE:ZarvoSamplerPlayer_Standalone>"
    DESTINATION "${ZSP_STANDALONE_INSTALL_DIR}" COMPONENT plugins)

if(ZSP_DEMO_LIBRARY)
    set(ZSP_DEMO_DIR ${PROJECT_BINARY_DIR}/demo-instrument)
    set(ZSP_DEMO_INSTRUMENT ${ZSP_DEMO_DIR}/demo.zse)
    set(ZSP_DEMO_PAD ${ZSP_DEMO_DIR}/demo-pad.zse)
    add_custom_command(OUTPUT ${ZSP_DEMO_INSTRUMENT} ${ZSP_DEMO_PAD}
        COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-demo-instrument.sh ${PROJECT_BINARY_DIR} ${ZSP_DEMO_DIR} > /dev/null
        DEPENDS zse-build ${PROJECT_SOURCE_DIR}/scripts/make-demo-instrument.sh
        COMMENT "Making the demo instruments"
        VERBATIM)
    add_custom_target(ZarvoSamplerPlayer_DemoInstrument DEPENDS ${ZSP_DEMO_INSTRUMENT} ${ZSP_DEMO_PAD})

    foreach(format_target IN LISTS ZSP_FORMAT_TARGETS)
        set(folder "$<TARGET_FILE_DIR:${format_target}>/$<TARGET_FILE_PREFIX:${format_target}>$<TARGET_FILE_BASE_NAME:${format_target}>.instruments")
        # Before linking: JUCE's LV2 step after the link runs the plugin to
        # list its programs, which must include the demo.
        add_dependencies(${format_target} ZarvoSamplerPlayer_DemoInstrument)
        set_property(TARGET ${format_target} APPEND PROPERTY LINK_DEPENDS ${ZSP_DEMO_INSTRUMENT} ${ZSP_DEMO_PAD})
        add_custom_command(TARGET ${format_target} PRE_LINK
            COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZSP_DEMO_INSTRUMENT} "${folder}/Demo Keys.zse"
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZSP_DEMO_PAD} "${folder}/Demo Pad.zse"
            VERBATIM)
    endforeach()

    # The VST 3 and LV2 bundles are installed whole, their library folders
    # with them; the VST 2 library and the standalone player have theirs
    # beside them.
    set(beside_targets ZarvoSamplerPlayer_VST ZarvoSamplerPlayer_Standalone)
    set(beside_destinations "${ZSP_PLUGIN_INSTALL_ROOT}/.vst" "${ZSP_STANDALONE_INSTALL_DIR}")
    foreach(format_target destination IN ZIP_LISTS beside_targets beside_destinations)
        install(DIRECTORY "$<TARGET_FILE_DIR:${format_target}>/$<TARGET_FILE_PREFIX:${format_target}>$<TARGET_FILE_BASE_NAME:${format_target}>.instruments"
            DESTINATION "${destination}" COMPONENT plugins)
    endforeach()
endif()
