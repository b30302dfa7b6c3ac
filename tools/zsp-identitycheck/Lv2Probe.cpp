// LV2: the plugin and UI descriptors of the library, and the bundle's Turtle
// files that a host reads before it loads the library.

#include "IdentityProbe.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "HostIdentity.h"
#include "LV2Turtle.h"

namespace
{
std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool mentions(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
} // namespace

void probeLv2(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report)
{
    const RecordSeen record = probeRecord(libraryPath, expected, report);
    using PluginEntry = const LV2_Descriptor* (*)(uint32_t);
    using UiEntry = const LV2UI_Descriptor* (*)(uint32_t);
    const auto pluginEntry = reinterpret_cast<PluginEntry>(dlsym(library, "lv2_descriptor"));
    const auto uiEntry = reinterpret_cast<UiEntry>(dlsym(library, "lv2ui_descriptor"));
    report.check(pluginEntry != nullptr && uiEntry != nullptr, "lv2_descriptor or lv2ui_descriptor missing");
    if (pluginEntry == nullptr || uiEntry == nullptr)
        return;
    const LV2_Descriptor* plugin = pluginEntry(0);
    const LV2UI_Descriptor* ui = uiEntry(0);
    report.check(plugin != nullptr && ui != nullptr && pluginEntry(1) == nullptr && uiEntry(1) == nullptr,
                 "not exactly one plugin and one UI descriptor");
    if (plugin == nullptr || ui == nullptr)
        return;

    const std::string uri = plugin->URI;
    report.value("Plugin URI:", uri);
    report.value("UI URI:", ui->URI);
    report.check(uri == lv2PluginUri(record.pluginId, record.vendorName, record.productName),
                 "the plugin URI does not follow the URI rule for the record");
    report.check(std::string(ui->URI) == uri + ":UI", "the UI URI is not the plugin URI with \":UI\"");
    report.expect(expected.lv2Uri, uri, "plugin URI");

    const std::filesystem::path bundle = std::filesystem::path(libraryPath).parent_path();
    const std::string manifest = fileText(bundle / "manifest.ttl");
    const std::string dsp = fileText(bundle / "dsp.ttl");
    const std::string uiText = fileText(bundle / "ui.ttl");
    const std::string binary =
        "lv2:binary <" + turtleFileReference(std::filesystem::path(libraryPath).filename().string()) + ">";
    report.check(mentions(manifest, "<" + uri + ">\n\ta lv2:Plugin ;\n\t" + binary),
                 "manifest.ttl does not name the plugin URI with this library");
    report.check(mentions(manifest, "<" + uri + ":UI>\n\ta ui:X11UI ;\n\t" + binary),
                 "manifest.ttl does not name the UI URI with this library");
    report.check(mentions(dsp, "<" + uri + ">\n") && mentions(dsp, "ui:ui <" + uri + ":UI>"),
                 "dsp.ttl does not describe the plugin URI");
    report.check(mentions(dsp, "doap:name " + turtleString(record.productName) + " ;"),
                 "dsp.ttl names the plugin otherwise than the record");
    report.check(mentions(dsp, "foaf:name " + turtleString(record.vendorName) + " ;"),
                 "dsp.ttl names the maintainer otherwise than the record");
    report.check(mentions(uiText, "<" + uri + ":UI>"), "ui.ttl does not describe the UI URI");
    report.value("Turtle:", "manifest.ttl, dsp.ttl and ui.ttl name this URI, \"" + record.productName + "\", \""
                                + record.vendorName + "\"");
    report.expect(expected.productName, record.productName, "product name");
    report.expect(expected.vendorName, record.vendorName, "vendor name");
}
