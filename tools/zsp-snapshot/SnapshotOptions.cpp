#include "SnapshotOptions.h"

const char* const snapshotUsage =
    "usage: zsp-snapshot --widgets OUT_FOLDER\n"
    "       zsp-snapshot INSTRUMENT.zse OUT.png\n"
    "       zsp-snapshot --help | --version\n"
    "\n"
    "  --widgets OUT_FOLDER  write PNG pictures of each player widget in its main states\n"
    "                        (needs a display; on a machine without one: xvfb-run -a zsp-snapshot ...)\n"
    "  INSTRUMENT.zse OUT.png  write a PNG picture of the player window for the instrument,\n"
    "                        exactly the size of its layout (needs a display as well)\n";

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
    else if (first.rfind("-", 0) == 0)
    {
        error = "unknown option " + first;
        return false;
    }
    else
    {
        if (arguments.size() < 2 || arguments[1].empty() || arguments[1].rfind("-", 0) == 0)
        {
            error = "an instrument needs a picture file to write: INSTRUMENT.zse OUT.png";
            return false;
        }
        options.mode = SnapshotOptions::Mode::player;
        options.instrumentPath = first;
        options.outputFile = arguments[1];
    }

    const size_t used = options.mode == SnapshotOptions::Mode::widgets || options.mode == SnapshotOptions::Mode::player ? 2 : 1;
    if (arguments.size() > used)
    {
        error = "unexpected argument " + arguments[used];
        return false;
    }
    return true;
}
