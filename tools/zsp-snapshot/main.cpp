// zsp-snapshot --widgets OUT_FOLDER
// zsp-snapshot INSTRUMENT.zse OUT.png
// zsp-snapshot --help | --version
//
// Draws the player's widgets the way the plugin draws them and writes the
// pictures as PNG files, so that a person can look at them. Exit status 1 and
// a message on standard error when a picture cannot be made or written.

#include <cstdio>
#include <string>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "BareXServer.h"
#include "PlayerSnapshot.h"
#include "SnapshotOptions.h"
#include "WidgetSnapshots.h"

namespace
{
int failure(const std::string& message)
{
    std::fprintf(stderr, "zsp-snapshot: %s\n", message.c_str());
    return 1;
}

int snapshotWidgets(const std::string& outputFolder)
{
    tolerateBareXServer();
    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile(juce::String(outputFolder));
    std::string error;
    if (!writeWidgetSnapshots(folder, error))
        return failure(error);
    return 0;
}

int snapshotPlayer(const std::string& instrumentPath, const std::string& outputFile)
{
    tolerateBareXServer();
    juce::ScopedJuceInitialiser_GUI juce;
    std::string error;
    if (!writePlayerSnapshot(instrumentPath, outputFile, error))
        return failure(error);
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    SnapshotOptions options;
    std::string error;
    if (!parseSnapshotOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
    {
        failure(error);
        std::fputs(snapshotUsage, stderr);
        return 1;
    }
    switch (options.mode)
    {
    case SnapshotOptions::Mode::help:
        std::fputs(snapshotUsage, stdout);
        return 0;
    case SnapshotOptions::Mode::version:
        std::printf("zsp-snapshot %s\n", ZSP_VERSION);
        return 0;
    case SnapshotOptions::Mode::widgets:
        return snapshotWidgets(options.outputFolder);
    case SnapshotOptions::Mode::player:
        return snapshotPlayer(options.instrumentPath, options.outputFile);
    }
    return 1;
}
