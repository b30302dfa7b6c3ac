#pragma once
// Copies sample files beside an instrument. Each copy appears whole or not at
// all (written under a temporary name, then renamed over the target).

#include <string>
#include <utility>
#include <vector>

// Copies each (source, target) pair, creating folders as needed. A target that
// already is its source is left alone. False with a message on the first
// failure; the copies made before it stay.
bool copySampleFiles(const std::vector<std::pair<std::string, std::string>>& copies, std::string& error);
