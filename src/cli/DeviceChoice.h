#pragma once

#include <string>
#include <vector>

// The device that `query` names among `names`: an index when all digits, otherwise a
// part of one name, without regard to case; an empty query names the QZ4 Simulator.
// -1 when none or several match, with `error` saying so for the given direction.
int ChooseDevice(const std::vector<std::string>& names, const std::string& query,
                 const char* direction, std::string* error);

// "in <index>: <name>" for every input, then "out <index>: <name>" for every output.
std::string DeviceListText(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs);
