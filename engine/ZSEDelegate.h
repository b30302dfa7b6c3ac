#pragma once
#include <string>

// How the engine reports to its owner (the processor). Every call is skipped
// when an instrument has no delegate.
class ZSEDelegate
{
public:
    static constexpr int locateReplySize = 512;

    virtual ~ZSEDelegate() = default;
    // Once per zone while a file loads; false asks the reader to cancel.
    virtual bool loadProgress(float progress, const std::string& groupName, const std::string& sampleName) = 0;
    virtual bool unusedQuery() { return false; }
    virtual void groupsChanged() = 0;
    // A sample file that cannot be opened: write a replacement path into the
    // zeroed reply buffer of locateReplySize bytes, or leave it empty.
    virtual void locateSample(const std::string& resolvedPath, char* reply) = 0;
    virtual void instrumentChanged() = 0;
    virtual void unusedNotification() {}
};
