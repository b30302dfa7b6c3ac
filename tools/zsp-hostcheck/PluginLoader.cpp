#include "PluginLoader.h"

namespace
{
juce::AudioPluginFormat* findFormat(juce::AudioPluginFormatManager& formats, const juce::String& name)
{
    for (auto* format : formats.getFormats())
        if (format->getName() == name)
            return format;
    return nullptr;
}

// The plugins an LV2 bundle adds to what the default LV2 folders already
// provide. LV2 keeps the first bundle it finds for a URI, so a bundle whose
// plugin is also installed (in ~/.lv2, say) adds nothing and is not loaded.
juce::StringArray pluginsAddedByBundle(juce::AudioPluginFormat& lv2, const juce::File& bundle)
{
    const auto known = lv2.searchPathsForPlugins({}, false, false);
    const juce::FileSearchPath bundleFolder(bundle.getParentDirectory().getFullPathName());
    juce::StringArray added;
    for (const auto& uri : lv2.searchPathsForPlugins(bundleFolder, false, false))
        if (!known.contains(uri))
            added.add(uri);
    return added;
}

// The descriptions of the plugins at `location`, with the format to load them.
juce::OwnedArray<juce::PluginDescription> describe(juce::AudioPluginFormatManager& formats,
                                                   const juce::String& location, juce::String& error)
{
    juce::OwnedArray<juce::PluginDescription> found;
    const juce::File file = juce::File::isAbsolutePath(location)
                                ? juce::File(location)
                                : juce::File::getCurrentWorkingDirectory().getChildFile(location);

    if (file.isDirectory() && file.hasFileExtension(".lv2"))
    {
        auto* lv2 = findFormat(formats, "LV2");
        if (lv2 == nullptr)
        {
            error = "this host check was built without LV2 hosting";
            return found;
        }
        const auto uris = pluginsAddedByBundle(*lv2, file);
        if (uris.isEmpty())
            error = "the bundle adds no LV2 plugin (none in it, or an installed bundle already provides its URI)";
        for (const auto& uri : uris)
            lv2->findAllTypesForFile(found, uri);
        return found;
    }

    const juce::String identifier = file.exists() ? file.getFullPathName() : location;
    for (auto* format : formats.getFormats())
        if (format->fileMightContainThisPluginType(identifier))
            format->findAllTypesForFile(found, identifier);

    if (found.isEmpty())
        error = file.exists() ? "no plugin format recognises " + identifier : identifier + " does not exist";
    return found;
}
} // namespace

void loadPlugin(juce::AudioPluginFormatManager& formats, const juce::String& location, double sampleRate,
                int blockSize, LoadedPlugin& result, juce::String& error)
{
    result = {};
    auto descriptions = describe(formats, location, error);
    if (descriptions.isEmpty())
        return;

    result.description = *descriptions.getFirst();
    result.instance = formats.createPluginInstance(result.description, sampleRate, blockSize, error);
    if (result.instance == nullptr && error.isEmpty())
        error = "the plugin could not be instantiated";
}
