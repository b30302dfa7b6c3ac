// zsp-brand: writes a product name, vendor and plugin id into a copy of a
// built plugin, so that a publisher ships the same player under its own name
// beside the original. See --help.

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BrandedCopy.h"
#include "HostIdentity.h"

namespace
{
const char* const helpText =
    "usage: zsp-brand --product NAME --vendor NAME --id CODE [options] PLUGIN...\n"
    "\n"
    "Makes a branded copy of each PLUGIN: a VST 3 bundle (.vst3), an LV2 bundle\n"
    "(.lv2) or a VST 2 library (.so) built from this player. The copy shows hosts\n"
    "the new product name, vendor and plugin id: VST 2 unique id and names, VST 3\n"
    "factory, class names and class ids, LV2 URI and names. It is named after the\n"
    "product (or --file-name) and lies beside its source (or in --output), so it\n"
    "installs beside the original without a clash.\n"
    "\n"
    "  --product NAME     product name hosts show, at most 63 bytes of UTF-8\n"
    "  --vendor NAME      vendor name hosts show, at most 63 bytes of UTF-8\n"
    "  --id CODE          VST 2 plugin id: four printable ASCII characters, neither the\n"
    "                     source's nor the player's own \"ZSP2\" (register yours; hosts\n"
    "                     tell plugins apart by it)\n"
    "  --file-name NAME   name of the copied bundles and libraries (default: the product)\n"
    "  --output DIR       folder that receives the copies (default: beside each source)\n"
    "  --instruments      copy each source's instrument library folder along, when it\n"
    "                     has one (beside the library, named after it, \".instruments\")\n"
    "  --force            replace copies that exist already\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Each copy is built in a temporary folder beside its target and moved into\n"
    "place at the end: nothing is written unless every copy can be made.\n"
    "Exit status: 0 done, 1 refused or failed (nothing written), 64 bad command line.\n";

int usageError(const std::string& problem)
{
    std::fprintf(stderr, "zsp-brand: %s\nTry 'zsp-brand --help'.\n", problem.c_str());
    return 64;
}

int refused(const std::string& problem)
{
    std::fprintf(stderr, "zsp-brand: %s\n", problem.c_str());
    return 1;
}

const char* formatName(PluginFormat format)
{
    return format == PluginFormat::vst3 ? "VST 3" : format == PluginFormat::lv2 ? "LV2" : "VST 2";
}

void printCopy(const CopyPlan& plan, const Brand& brand)
{
    std::printf("Wrote %s (%s): \"%s\" by \"%s\", id %s", plan.target.c_str(), formatName(plan.format),
                brand.productName.c_str(), brand.vendorName.c_str(), pluginIdText(brand.pluginId).c_str());
    if (plan.format == PluginFormat::vst3)
        std::printf(", class ids %s and %s",
                    classIdBytesText(classId(Vst3Class::component, brand.pluginId, brand.productName)).c_str(),
                    classIdBytesText(classId(Vst3Class::controller, brand.pluginId, brand.productName)).c_str());
    if (plan.format == PluginFormat::lv2)
        std::printf(", URI %s", lv2PluginUri(brand.pluginId, brand.vendorName, brand.productName).c_str());
    for (const auto& folder : plan.instrumentFolders)
        std::printf(", instruments from %s", folder.first.c_str());
    std::printf("\n");
}
} // namespace

int main(int argc, char* argv[])
{
    struct Value
    {
        std::string text;
        bool given = false;
    };
    Value product, vendor, id, fileName, output;
    const std::map<std::string, Value*> valued {{"--product", &product},     {"--vendor", &vendor}, {"--id", &id},
                                                {"--file-name", &fileName}, {"--output", &output}};
    BrandOptions options;
    std::vector<std::string> sources;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--help")
        {
            std::fputs(helpText, stdout);
            return 0;
        }
        if (arg == "--version")
        {
            std::printf("zsp-brand %s\n", ZSP_VERSION);
            return 0;
        }
        if (const auto option = valued.find(arg); option != valued.end())
        {
            if (i + 1 >= argc)
                return usageError(arg + " needs a value");
            *option->second = {argv[++i], true};
        }
        else if (arg == "--instruments")
            options.withInstruments = true;
        else if (arg == "--force")
            options.replace = true;
        else if (arg.rfind("--", 0) == 0)
            return usageError("unknown option " + arg);
        else
            sources.push_back(arg);
    }
    if (!product.given || !vendor.given || !id.given)
        return usageError("--product, --vendor and --id are required");
    if (sources.empty())
        return usageError("no plugin to copy");
    if (output.given)
        options.outputFolder = output.text;

    if (const std::string problem = pluginIdTextProblem(id.text); !problem.empty())
        return refused("the plugin id \"" + id.text + "\" " + problem);
    options.brand = {product.text, vendor.text, pluginIdFromText(id.text), fileName.given ? fileName.text : product.text};
    if (const std::string problem = brandProblem(options.brand); !problem.empty())
        return refused(problem);

    std::vector<CopyPlan> plans(sources.size());
    std::set<std::filesystem::path> targets;
    for (size_t i = 0; i < sources.size(); ++i)
    {
        if (const std::string problem = planCopy(sources[i], options, plans[i]); !problem.empty())
            return refused(problem);
        if (!targets.insert(plans[i].target).second)
            return refused("two plugins would be copied to \"" + plans[i].target.string() + "\"");
    }

    std::vector<PreparedCopy> prepared(plans.size());
    for (size_t i = 0; i < plans.size(); ++i)
        if (const std::string problem = prepareCopy(plans[i], options, prepared[i]); !problem.empty())
        {
            for (PreparedCopy& copy : prepared)
                discardCopy(copy);
            return refused(problem);
        }
    for (size_t i = 0; i < plans.size(); ++i)
    {
        if (const std::string problem = commitCopy(prepared[i], options.replace); !problem.empty())
        {
            for (PreparedCopy& copy : prepared)
                discardCopy(copy);
            return refused(problem);
        }
        printCopy(plans[i], options.brand);
    }
    return 0;
}
