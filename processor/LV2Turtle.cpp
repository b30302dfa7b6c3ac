#include "LV2Turtle.h"

#include <cstring>

namespace
{
int replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty() || from == to)
        return 0;
    int count = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    {
        text.replace(at, from.size(), to);
        ++count;
    }
    return count;
}

// Points every "lv2:binary <...>" at `reference`.
int replaceBinaries(std::string& text, const std::string& reference)
{
    const std::string key = "lv2:binary <";
    int count = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
    {
        const size_t start = at + key.size();
        const size_t end = text.find('>', start);
        if (end == std::string::npos)
            break;
        if (text.compare(start, end - start, reference) != 0)
        {
            text.replace(start, end - start, reference);
            ++count;
        }
    }
    return count;
}
} // namespace

std::string turtleString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string turtleFileReference(const std::string& name)
{
    static const char* const legal = ",$_-.*!'()";
    std::string out;
    for (char c : name)
    {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                        || (c != 0 && std::strchr(legal, c) != nullptr);
        if (plain)
        {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += "0123456789ABCDEF"[byte >> 4];
        out += "0123456789ABCDEF"[byte & 15];
    }
    return out;
}

int rewriteTurtleIdentity(std::string& text, const TurtleIdentity& from, const TurtleIdentity& to)
{
    int count = 0;
    count += replaceAll(text, "<" + from.pluginUri + ">", "<" + to.pluginUri + ">");
    count += replaceAll(text, "<" + from.pluginUri + ":UI>", "<" + to.pluginUri + ":UI>");
    count += replaceAll(text, "<" + from.pluginUri + ":preset", "<" + to.pluginUri + ":preset");
    count += replaceAll(text, "doap:name " + turtleString(from.name), "doap:name " + turtleString(to.name));
    count += replaceAll(text, "doap:description " + turtleString(from.description),
                        "doap:description " + turtleString(to.description));
    count += replaceAll(text, "foaf:name " + turtleString(from.vendor), "foaf:name " + turtleString(to.vendor));
    // The player names no web address or e-mail; an empty reference would
    // show hosts the Turtle file itself as the maintainer's address.
    count += replaceAll(text, "\t\tfoaf:homepage <> ;\n", "");
    count += replaceAll(text, "\t\tfoaf:mbox <> ;\n", "");
    if (!to.binary.empty())
        count += replaceBinaries(text, turtleFileReference(to.binary));
    return count;
}

std::string programPropertyDefinition(const std::string& playerUri)
{
    return "<" + playerUri + ":Program>\n"
           "\ta <http://www.w3.org/1999/02/22-rdf-syntax-ns#Property> ;\n"
           "\trdfs:label \"Program\" ;\n"
           "\trdfs:range xsd:int .\n";
}
