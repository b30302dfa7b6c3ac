#pragma once
// The identity in an LV2 bundle's Turtle files (manifest.ttl, dsp.ttl,
// ui.ttl). JUCE writes them at build time with the names it was compiled
// with; the plugin's own hook and zsp-brand then put in the identity of the
// library file. Plain C++.

#include <string>

struct TurtleIdentity
{
    std::string pluginUri;    // the plugin; its UI is pluginUri + ":UI", its presets pluginUri + ":preset<n>"
    std::string name;         // doap:name
    std::string description;  // doap:description
    std::string vendor;       // the maintainer's foaf:name
    std::string binary;       // the library file's name; every lv2:binary is pointed at it (not matched)
};

// Replaces `from` by `to` in one Turtle file: the plugin, UI and preset URIs,
// the name, description and maintainer texts, and the binary when `to` names
// one; empty maintainer web and e-mail references are dropped. URIs under the player's own URI (parameters, port groups, state keys)
// stay as they are. Returns how many places changed.
int rewriteTurtleIdentity(std::string& text, const TurtleIdentity& from, const TurtleIdentity& to);

// A Turtle string literal holding `text`.
std::string turtleString(const std::string& text);

// `name` as a relative URI reference, as lv2:binary writes a file name.
std::string turtleFileReference(const std::string& name);

// The definition of the state property under which JUCE's presets store the
// program number, so that validators see a defined, labelled property.
std::string programPropertyDefinition(const std::string& playerUri);
