#pragma once

#include <string>
#include <vector>

// The names of the devices the current MIDI services list, in device order.
std::vector<std::string> InputDeviceNames();
std::vector<std::string> OutputDeviceNames();

// The indices of the devices that `query` names: the one index it spells when it is
// all digits (and in range), otherwise every device whose name contains it, compared
// without regard to case.
std::vector<int> MatchDevices(const std::vector<std::string>& names, const std::string& query);
