#include "SnapshotOptions.h"

const char* const snapshotUsage =
    "usage: zsp-snapshot --widgets OUT_FOLDER\n"
    "       zsp-snapshot --help | --version\n"
    "\n"
    "  --widgets OUT_FOLDER  write PNG pictures of each player widget in its main states\n"
    "                        (needs a display; on a machine without one: xvfb-run -a zsp-snapshot ...)\n";

bool parseSnapshotOptions(const std::vector<std::string>& arguments, SnapshotOptions& options, std::string& error)
{
    options = SnapshotOptions {};
    if (arguments.empty())
    {
        error = "nothing to do";
        return false;
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h")
        options.mode = SnapshotOptions::Mode::help;
    else if (first == "--version")
        options.mode = SnapshotOptions::Mode::version;
    else if (first == "--widgets")
    {
        if (arguments.size() < 2 || arguments[1].empty())
        {
            error = "--widgets needs an output folder";
            return false;
        }
        options.mode = SnapshotOptions::Mode::widgets;
        options.outputFolder = arguments[1];
    }
    else
    {
        error = first.rfind("-", 0) == 0 ? "unknown option " + first : "unexpected argument " + first;
        return false;
    }

    const size_t used = options.mode == SnapshotOptions::Mode::widgets ? 2 : 1;
    if (arguments.size() > used)
    {
        error = "unexpected argument " + arguments[used];
        return false;
    }
    return true;
}
