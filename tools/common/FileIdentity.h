#pragma once
// Whether two paths name the same file: same device and inode, so hard links,
// symbolic links and different spellings of one path all count as one file.

#include <string>
#include <vector>

// Refuses an output that would overwrite one of the inputs. `outputPath` "-"
// stands for standard output. False with a message naming both paths.
bool outputIsNoInput(const std::string& outputPath, const std::vector<std::string>& inputPaths, std::string& error);
