#pragma once

#include <string>
#include <vector>

// Standard error carries errors and notes, each a line naming the program. Paths and
// arguments come from anyone: their control characters are escaped as in device names
// (see EscapedControlCharacters), so none reaches the terminal.
void PrintError(const std::string& text);
void PrintNote(const std::string& text);

// "in <index>: <name>" for every input, then "out <index>: <name>" for every output,
// each name escaped by EscapedDeviceName.
std::string DeviceListText(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs);
