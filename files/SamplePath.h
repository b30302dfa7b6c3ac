#pragma once
// Where a zone's sample file lies. Instruments store sample names in Windows
// form ("\" between folders, perhaps a drive letter), relative to the folder
// of the instrument file or absolute.

#include <string>

// The path of a stored sample name beside the instrument file at
// instrumentPath. Works on "\" paths; an instrument path written with "/" only
// (a POSIX path) is resolved in "\" form and the result given back with "/".
// A name that is empty or absolute, or an instrument path starting with ".",
// gives the name unchanged.
std::string resolveSamplePath(const std::string& sampleName, const std::string& instrumentPath);

// The file name on this system for a Windows-form path: "\" becomes "/", and
// when that name does not exist each folder and file name is looked up again
// ignoring ASCII letter case. A drive-letter path is only mapped; it names
// nothing here and will not open.
std::string toPlatformPath(const std::string& windowsFormPath);
