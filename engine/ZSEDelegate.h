#pragma once
#include <string>

// How the engine reports to its owner (the processor). Every call is skipped
// when an instrument has no delegate.
//
// Thread contract: each call arrives on the thread that caused it, never on
// the message thread by itself, so an implementation hands any user-interface
// work to the message thread itself.
// - loadProgress, locateSample: the loading thread, during loadFromFile; they
//   may block it (a dialog waiting for the user) but must not wait for the
//   audio thread.
// - groupsChanged: whichever thread changed the active set: the audio thread
//   (group activation by events, inside process), the loading thread (during
//   a load) or the message thread (a manual change).
// - instrumentChanged: whichever thread called applySettings: the audio thread
//   (controllers 7, 8, 10, 72 to 76 and 91, inside process), the loading
//   thread (at the end of a load) or the message thread (a control).
// On the audio thread a call must return at once without allocating, locking
// or waiting: note what changed (an atomic flag) and let the message thread
// act on it.
class ZSEDelegate
{
public:
    static constexpr int locateReplySize = 512;

    virtual ~ZSEDelegate() = default;
    // Once per zone while a file loads; false asks the reader to cancel.
    virtual bool loadProgress(float progress, const std::string& groupName, const std::string& sampleName) = 0;
    // The second and sixth operations are part of the delegate's interface
    // in this order; the engine never calls them.
    virtual bool unusedQuery() { return false; }
    virtual void groupsChanged() = 0;
    // A sample file that cannot be opened: write a replacement path into the
    // zeroed reply buffer of locateReplySize bytes, or leave it empty.
    virtual void locateSample(const std::string& resolvedPath, char* reply) = 0;
    virtual void instrumentChanged() = 0;
    virtual void unusedNotification() {}
};
