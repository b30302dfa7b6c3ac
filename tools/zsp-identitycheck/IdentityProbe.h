#pragma once
// What the identity probes share: the identity a plugin is expected to show
// and the report of what it showed.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct ExpectedIdentity
{
    std::optional<std::string> productName;
    std::optional<std::string> vendorName;
    std::optional<std::string> shortProductName;  // the record's short fields, read by their own rule
    std::optional<std::string> shortVendorName;
    std::optional<std::string> pluginId;       // four characters
    std::optional<std::string> componentId;    // 32 hex digits, bytes in order
    std::optional<std::string> controllerId;
    std::optional<std::string> lv2Uri;
};

class ProbeReport
{
public:
    void value(const char* key, const std::string& text) { std::printf("  %-24s %s\n", key, text.c_str()); }

    void check(bool holds, const std::string& what)
    {
        if (!holds)
        {
            failures.push_back(what);
            std::printf("  FAIL: %s\n", what.c_str());
        }
    }

    // Checks `actual` against an expectation, when there is one.
    void expect(const std::optional<std::string>& expected, const std::string& actual, const char* what)
    {
        if (expected.has_value())
            check(actual == *expected, std::string(what) + " is \"" + actual + "\", expected \"" + *expected + "\"");
    }

    size_t failureCount() const { return failures.size(); }

private:
    std::vector<std::string> failures;
};

// The library's identity record, as the probes compare hosts' answers with it.
struct RecordSeen
{
    bool readable = false;
    unsigned pluginId = 0;
    std::string productName;
    std::string vendorName;
};

// Prints and checks the record of a library file: exactly one record, with
// the expected short fields.
RecordSeen probeRecord(const std::string& library, const ExpectedIdentity& expected, ProbeReport& report);

// Each probe loads nothing itself: it is given the handle of the library,
// which main opens for all plugins before probing any, so that they share
// one process as in a host.
void probeVst3(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report);
void probeVst2(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report);
void probeLv2(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report);
