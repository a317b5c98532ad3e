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

// The device that `query` names among `names`: an index when all digits, otherwise a
// part of one name, without regard to case; an empty query names the QZ4 Simulator.
// -1 when none or several match, with `error` saying so for the given direction.
int ChooseDevice(const std::vector<std::string>& names, const std::string& query,
                 const char* direction, std::string* error);

// A device name as a program prints it. Names come from other programs (any JACK or
// ALSA client names its ports), so a line feed in one could forge a line of a list and
// an escape sequence would reach the terminal. Control characters are therefore written
// as \x followed by two lowercase hex digits per byte: bytes below 0x20, 0x7f, the C1
// controls U+0080 to U+009F (their two UTF-8 bytes), and any byte 0x80 to 0x9F that is
// not part of a valid UTF-8 sequence (a terminal may take a lone 0x9b as CSI). A
// backslash is written as \x5c, so that the text reads back to one name only.
// Everything else is kept as it is: other UTF-8, and bytes 0xa0 to 0xff that are not
// UTF-8 (a Latin-1 name). The Message log keeps names as they are.
std::string EscapedDeviceName(const std::string& name);

// A message for a terminal, with its control characters escaped as in a device name but
// its backslashes kept: a device name escaped inside it reads the same after this.
std::string EscapedControlCharacters(const std::string& text);
