// The LV2 entry points. JUCE's wrapper names the plugin with the URI and
// names it was compiled with; these entries wrap JUCE's (which the build
// renames to juceLv2Descriptor and juceLv2uiDescriptor) and give the plugin
// and its UI the URI of the identity record. The bundle's Turtle files come
// from JUCE's build-time hook, which this entry extends: after JUCE has
// written them, the URIs and names are rewritten to the identity of the
// library file, so the files always match what the library reports.

#undef lv2_descriptor
#undef lv2ui_descriptor

#include <cstring>
#include <string>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "LV2Turtle.h"
#include "PluginIdentity.h"

extern "C" const LV2_Descriptor* juceLv2Descriptor(uint32_t index);
extern "C" const LV2UI_Descriptor* juceLv2uiDescriptor(uint32_t index);

namespace
{
// The extension through which JUCE's build step (juce_lv2_helper) asks the
// library to write the bundle's Turtle files next to it.
constexpr const char* turtleRecallUri = "https://lv2-extensions.juce.com/turtle_recall";

struct TurtleRecall
{
    int (*write)(const char* libraryPath);
};

bool rewriteBundleTurtle(const juce::File& library)
{
    const PluginIdentity identity = readPluginIdentity(library);
    const TurtleIdentity from {JucePlugin_LV2URI, JucePlugin_Name, JucePlugin_Desc, JucePlugin_Manufacturer, {}};
    const TurtleIdentity to {identity.lv2Uri.toStdString(), identity.productName.toStdString(),
                             identity.productName.toStdString(), identity.vendorName.toStdString(),
                             library.getFileName().toStdString()};
    for (const char* name : {"manifest.ttl", "dsp.ttl", "ui.ttl"})
    {
        const juce::File file = library.getSiblingFile(name);
        if (!file.existsAsFile())
            continue;
        std::string text = file.loadFileAsString().toStdString();
        rewriteTurtleIdentity(text, from, to);
        if (std::strcmp(name, "manifest.ttl") == 0)
        {
            const std::string program = programPropertyDefinition(JucePlugin_LV2URI);
            if (text.find(program) == std::string::npos)
                text += "\n" + program;
        }
        if (!file.replaceWithText(juce::String::fromUTF8(text.c_str()), false, false, "\n"))
            return false;
    }
    return true;
}

int writeBundleTurtle(const char* libraryPath)
{
    const auto* juceRecall = static_cast<const TurtleRecall*>(juceLv2Descriptor(0)->extension_data(turtleRecallUri));
    if (juceRecall == nullptr || juceRecall->write == nullptr)
        return 1;
    const int written = juceRecall->write(libraryPath);
    if (written != 0)
        return written;
    const juce::String path = juce::String::fromUTF8(libraryPath);
    const juce::File library = juce::File::isAbsolutePath(path) ? juce::File(path)
                                                                : juce::File::getCurrentWorkingDirectory().getChildFile(path);
    return rewriteBundleTurtle(library) ? 0 : 1;
}

const void* extensionData(const char* uri)
{
    static const TurtleRecall recall {writeBundleTurtle};
    if (uri != nullptr && std::strcmp(uri, turtleRecallUri) == 0)
        return &recall;
    return juceLv2Descriptor(0)->extension_data(uri);
}

struct PluginDescriptor
{
    std::string uri = pluginIdentity().lv2Uri.toStdString();
    LV2_Descriptor descriptor = [this] {
        LV2_Descriptor copy = *juceLv2Descriptor(0);
        copy.URI = uri.c_str();
        copy.extension_data = extensionData;
        return copy;
    }();
};

struct UiDescriptor
{
    std::string uri = pluginIdentity().lv2Uri.toStdString() + ":UI";
    LV2UI_Descriptor descriptor = [this] {
        LV2UI_Descriptor copy = *juceLv2uiDescriptor(0);
        copy.URI = uri.c_str();
        return copy;
    }();
};
} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    if (index != 0)
        return nullptr;
    static const PluginDescriptor plugin;
    return &plugin.descriptor;
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    if (index != 0)
        return nullptr;
    static const UiDescriptor ui;
    return &ui.descriptor;
}
