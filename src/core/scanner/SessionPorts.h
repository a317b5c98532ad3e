#pragma once

#include <string>
#include <vector>

class ScannerView;

// The device that `query` names among `names`: an index when all digits, otherwise a
// part of one name, without regard to case; an empty query names the QZ4 Simulator.
// -1 when none or several match, with `error` saying so for the given direction.
int ChooseDevice(const std::vector<std::string>& names, const std::string& query,
                 const char* direction, std::string* error);

enum class SessionPortFailure { None, Input, Output };

// Opens the two ports of a session the way the port dialogs do on a choice: each
// device is recorded in its dialog, then opened, the input first. The output is opened
// only when the input opened: a box that can't answer is never polled. What did open
// stays open for the caller to use or close. The view's two dialogs must exist.
SessionPortFailure OpenSessionPorts(ScannerView& view, const std::vector<std::string>& inputs,
                                    int input, const std::vector<std::string>& outputs, int output);
