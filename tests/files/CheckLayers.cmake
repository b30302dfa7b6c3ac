# cmake -DROOT=<source folder> -P CheckLayers.cmake
# The layers depend one way: files/ includes nothing of the engine or of the
# JUCE code, and engine/ nothing of the JUCE code. Fails naming every include
# that crosses the other way.
set(crossings "")
foreach(layer IN ITEMS files engine)
    if(layer STREQUAL "files")
        set(forbidden "engine|processor|editor|widgets|juce_")
    else()
        set(forbidden "processor|editor|widgets|juce_")
    endif()
    file(GLOB sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${forbidden})")
        foreach(line IN LISTS lines)
            string(APPEND crossings "\n  ${source}: ${line}")
        endforeach()
    endforeach()
endforeach()
if(crossings)
    message(FATAL_ERROR "includes against the layer order:${crossings}")
endif()
