#include "BrandedCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>

#include "HostIdentity.h"
#include "LV2Turtle.h"

namespace fs = std::filesystem;

namespace
{
std::string quoted(const fs::path& path)
{
    return "\"" + path.string() + "\"";
}

std::string extensionOf(PluginFormat format)
{
    return format == PluginFormat::vst3 ? ".vst3" : format == PluginFormat::lv2 ? ".lv2" : ".so";
}

// The identity record of a library: there must be exactly one.
std::string readRecord(const fs::path& library, IdentityFields& fields)
{
    const size_t records = findIdentityRecords(library.string(), identityMarker(), 2).size();
    if (records != 1)
        return quoted(library) + (records == 0 ? " holds no identity record: it is not a build of this player"
                                               : " holds more than one identity record");
    fields = readIdentityFile(library.string(), identityMarker());
    return {};
}

std::string writeRecord(const fs::path& library, const Brand& brand)
{
    const std::vector<uint64_t> offsets = findIdentityRecords(library.string(), identityMarker(), 2);
    if (offsets.size() != 1)
        return quoted(library) + " lost its identity record while being copied";
    std::fstream file(library, std::ios::in | std::ios::out | std::ios::binary);
    IdentityRecordBytes record {};
    file.seekg(static_cast<std::streamoff>(offsets.front()));
    file.read(reinterpret_cast<char*>(record.data()), identityRecordSize);
    const auto got = static_cast<size_t>(file.gcount());
    file.clear();
    // A record of an earlier build ends after the short fields' 128 bytes:
    // what follows it is the library's own data and is never written.
    const size_t size = declaresLongNames(record) ? identityRecordSize : identityFieldsEnd;
    if (got < size)
        return "the identity record of " + quoted(library) + " is cut short by the end of the file";
    encodeIdentityFields(record, brand.pluginId, brand.productName, brand.vendorName);
    file.seekp(static_cast<std::streamoff>(offsets.front()));
    file.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(size));
    file.close();
    if (!file)
        return "cannot write the identity record of " + quoted(library);
    const IdentityFields written = readIdentityFile(library.string(), identityMarker(), offsets.front());
    if (written.pluginId != brand.pluginId || written.productName != brand.productName
        || written.vendorName != brand.vendorName)
        return "the identity record of " + quoted(library) + " does not read back as written";
    return {};
}

// Copies a folder tree, leaving out the paths in `skip`.
void copyTree(const fs::path& from, const fs::path& to, const std::set<fs::path>& skip)
{
    fs::create_directory(to);
    for (const fs::directory_entry& entry : fs::directory_iterator(from))
    {
        if (skip.count(entry.path()) != 0)
            continue;
        const fs::path destination = to / entry.path().filename();
        if (entry.is_symlink())
            fs::copy_symlink(entry.path(), destination);
        else if (entry.is_directory())
            copyTree(entry.path(), destination, skip);
        else
            fs::copy_file(entry.path(), destination);
    }
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string rewriteTurtleFiles(const fs::path& bundle, const CopyPlan& plan, const Brand& brand)
{
    const IdentityFields& from = plan.sourceIdentity;
    const TurtleIdentity source {lv2PluginUri(from.pluginId, from.vendorName, from.productName), from.productName,
                                 from.productName, from.vendorName, {}};
    const TurtleIdentity branded {lv2PluginUri(brand.pluginId, brand.vendorName, brand.productName),
                                  brand.productName, brand.productName, brand.vendorName,
                                  plan.libraries.front().second};
    if (readText(bundle / "manifest.ttl").find("<" + source.pluginUri + ">") == std::string::npos)
        return "the manifest of " + quoted(plan.source) + " does not name the plugin's URI <" + source.pluginUri
             + ">: it was not written by this player's build";
    for (const fs::directory_entry& entry : fs::directory_iterator(bundle))
    {
        if (entry.path().extension() != ".ttl")
            continue;
        std::string text = readText(entry.path());
        rewriteTurtleIdentity(text, source, branded);
        std::ofstream out(entry.path(), std::ios::binary | std::ios::trunc);
        out << text;
        if (!out)
            return "cannot write " + quoted(entry.path());
    }
    return {};
}

// The libraries of a source bundle or file, relative to it.
std::vector<fs::path> librariesOf(const fs::path& source, PluginFormat format)
{
    std::vector<fs::path> found;
    if (format == PluginFormat::vst2)
        return {fs::path()};
    if (format == PluginFormat::vst3)
    {
        // One library per architecture, each named after the bundle.
        const fs::path contents = source / "Contents";
        if (fs::is_directory(contents))
            for (const fs::directory_entry& arch : fs::directory_iterator(contents))
                if (fs::is_regular_file(arch.path() / (source.stem().string() + ".so")))
                    found.push_back(fs::path("Contents") / arch.path().filename() / (source.stem().string() + ".so"));
        return found;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(source))
        if (entry.path().extension() == ".so" && entry.is_regular_file())
            found.push_back(entry.path().filename());
    return found;
}

// Renames without replacing anything that took the name meanwhile (the old
// copy, when replacing, is moved aside before). False with no error: the name
// was taken.
bool moveIntoPlace(const fs::path& staged, const fs::path& final, std::error_code& error)
{
    error.clear();
    if (renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, final.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
    {
        error.assign(errno, std::generic_category());
        return false;
    }
    // A file system without the exclusive rename: check, then rename.
    if (fs::exists(fs::symlink_status(final)))
        return false;
    fs::rename(staged, final, error);
    return !error;
}

bool isPlainFileName(const std::string& name)
{
    if (name.empty() || name.size() > 200 || name.front() == '.' || name.find('/') != std::string::npos)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}
} // namespace

fs::path instrumentFolderOf(const fs::path& library)
{
    return library.parent_path() / (library.stem().string() + ".instruments");
}

std::string brandProblem(const Brand& brand)
{
    if (brand.productName.empty())
        return "the product name must not be empty";
    if (const std::string problem = identityTextProblem(brand.productName); !problem.empty())
        return "the product name \"" + brand.productName + "\" " + problem;
    if (brand.vendorName.empty())
        return "the vendor name must not be empty";
    if (const std::string problem = identityTextProblem(brand.vendorName); !problem.empty())
        return "the vendor name \"" + brand.vendorName + "\" " + problem;
    if (!isPlainFileName(brand.fileName))
        return "the file name \"" + brand.fileName
             + "\" must be a plain file name: not empty, no \"/\", not starting with \".\", no control characters, "
               "at most 200 bytes";
    return {};
}

std::string planCopy(const fs::path& sourceGiven, const BrandOptions& options, CopyPlan& plan)
{
    // The copy goes beside the source as given, even when that is a link.
    fs::path source = fs::absolute(sourceGiven).lexically_normal();
    if (!source.has_filename())
        source = source.parent_path();
    std::error_code error;
    if (!fs::exists(source, error))
        return quoted(sourceGiven) + " does not exist";
    plan = {};
    plan.source = source;
    if (fs::is_directory(source))
    {
        if (source.extension() == ".vst3")
            plan.format = PluginFormat::vst3;
        else if (source.extension() == ".lv2")
            plan.format = PluginFormat::lv2;
        else
            return quoted(sourceGiven) + " is a folder but neither a \".vst3\" nor an \".lv2\" bundle";
    }
    else
        plan.format = PluginFormat::vst2;

    const Brand& brand = options.brand;
    const fs::path folder = options.outputFolder.empty() ? source.parent_path() : options.outputFolder;
    plan.target = folder / (brand.fileName + extensionOf(plan.format));

    const std::vector<fs::path> libraries = librariesOf(source, plan.format);
    if (libraries.empty())
        return quoted(sourceGiven) + " holds no plugin library";
    if (plan.format == PluginFormat::lv2 && libraries.size() != 1)
        return quoted(sourceGiven) + " holds more than one library";
    for (const fs::path& library : libraries)
    {
        IdentityFields fields;
        const fs::path path = library.empty() ? source : source / library;
        if (std::string problem = readRecord(path, fields); !problem.empty())
            return problem;
        if (!fields.hasLongFields
            && std::max(brand.productName.size(), brand.vendorName.size()) > identityTextFieldSize)
            return quoted(path) + " comes from an earlier build of the player, whose identity record holds names of "
                                  "at most 16 bytes; brand a current build";
        if (plan.libraries.empty())
            plan.sourceIdentity = fields;
        plan.libraries.emplace_back(library, brand.fileName + ".so");
    }

    if (plan.sourceIdentity.pluginId == brand.pluginId || brand.pluginId == fallbackPluginId)
        return "the plugin id " + pluginIdText(brand.pluginId) + " is the one of "
             + (brand.pluginId == fallbackPluginId ? std::string("the player itself") : quoted(sourceGiven))
             + ": hosts would take the copy for the original";
    if (fs::weakly_canonical(plan.target, error) == fs::weakly_canonical(source, error))
        return "the copy would replace its source " + quoted(sourceGiven) + "; choose another file name or --output";
    if (fs::exists(fs::symlink_status(plan.target)) && !options.replace)
        return quoted(plan.target) + " exists already (--force replaces it)";

    if (options.withInstruments)
    {
        const fs::path first = plan.libraries.front().first;
        const fs::path library = first.empty() ? source : source / first;
        const fs::path target = plan.format == PluginFormat::vst2
                                    ? instrumentFolderOf(plan.target.parent_path() / plan.libraries.front().second)
                                    : plan.target / instrumentFolderOf(first.parent_path() / plan.libraries.front().second);
        if (fs::is_directory(instrumentFolderOf(library)))
        {
            if (plan.format == PluginFormat::vst2 && fs::exists(fs::symlink_status(target)) && !options.replace)
                return quoted(target) + " exists already (--force replaces it)";
            plan.instrumentFolders.emplace_back(instrumentFolderOf(library), target);
        }
    }
    return {};
}

std::string prepareCopy(const CopyPlan& plan, const BrandOptions& options, PreparedCopy& prepared)
{
    const fs::path folder = plan.target.parent_path();
    std::error_code error;
    fs::create_directories(folder, error);
    std::string scratchName = (folder / ("." + plan.target.filename().string() + ".zsp-brand-XXXXXX")).string();
    if (mkdtemp(scratchName.data()) == nullptr)
        return "cannot create a folder in " + quoted(folder);
    prepared.scratch = scratchName;

    try
    {
        const fs::path staged = prepared.scratch / plan.target.filename();
        if (plan.format == PluginFormat::vst2)
            fs::copy_file(plan.source, staged);
        else
        {
            // Instrument folders inside the bundle go along only when asked for.
            std::set<fs::path> skip;
            for (const auto& library : plan.libraries)
                skip.insert(instrumentFolderOf(plan.source / library.first));
            copyTree(plan.source, staged, skip);
        }
        for (const auto& [relative, newName] : plan.libraries)
        {
            const fs::path copied = relative.empty() ? staged : staged / relative;
            const fs::path renamed = copied.parent_path() / newName;
            if (copied != renamed)
                fs::rename(copied, renamed);
            if (std::string problem = writeRecord(renamed, options.brand); !problem.empty())
                return problem;
        }
        if (plan.format == PluginFormat::lv2)
            if (std::string problem = rewriteTurtleFiles(staged, plan, options.brand); !problem.empty())
                return problem;
        prepared.moves.emplace_back(staged, plan.target);

        for (const auto& [from, to] : plan.instrumentFolders)
        {
            if (plan.format == PluginFormat::vst2)
            {
                const fs::path stagedFolder = prepared.scratch / to.filename();
                fs::copy(from, stagedFolder, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
                prepared.moves.emplace_back(stagedFolder, to);
            }
            else
                fs::copy(from, staged / to.lexically_relative(plan.target),
                         fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        }
    }
    catch (const fs::filesystem_error& failure)
    {
        return std::string("cannot copy ") + quoted(plan.source) + ": " + failure.what();
    }
    return {};
}

std::string commitCopy(PreparedCopy& prepared, bool replace)
{
    for (size_t i = 0; i < prepared.moves.size(); ++i)
    {
        const auto& [staged, final] = prepared.moves[i];
        std::error_code error;
        if (replace && fs::exists(fs::symlink_status(final)))
        {
            // The old copy moves aside first, so the name always holds a whole copy.
            fs::rename(final, prepared.scratch / ("replaced-" + std::to_string(i)), error);
            if (error)
                return "cannot replace " + quoted(final) + ": " + error.message();
        }
        if (!moveIntoPlace(staged, final, error))
            return error ? "cannot move the copy to " + quoted(final) + ": " + error.message()
                         : quoted(final) + " appeared while the copy was being made (--force replaces it)";
    }
    discardCopy(prepared);
    return {};
}

void discardCopy(PreparedCopy& prepared)
{
    std::error_code error;
    if (!prepared.scratch.empty())
        fs::remove_all(prepared.scratch, error);
    prepared = {};
}
