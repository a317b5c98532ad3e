#pragma once

#include <string>
#include <vector>

// Standard error carries errors and notes, each a line naming the program.
void PrintError(const std::string& text);
void PrintNote(const std::string& text);

// A device name as the runner prints it. Names come from other programs (any JACK or
// ALSA client names its ports), so a line feed in one could forge a line of the list and
// an escape sequence would reach the terminal. Control characters are therefore written
// as \x followed by two lowercase hex digits per byte: bytes below 0x20, 0x7f, and the
// C1 controls U+0080 to U+009F (their two UTF-8 bytes). A backslash is written as \x5c,
// so that the text reads back to one name only. Everything else, other UTF-8 included,
// is kept as it is. The Message log keeps names as they are.
std::string EscapedDeviceName(const std::string& name);

// "in <index>: <name>" for every input, then "out <index>: <name>" for every output,
// each name escaped as above.
std::string DeviceListText(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs);
