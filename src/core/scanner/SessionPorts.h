#pragma once

#include <string>
#include <vector>

class ScannerView;

enum class SessionPortFailure { None, Input, Output };

// Opens the two ports of a session the way the port dialogs do on a choice: each
// device is recorded in its dialog, then opened, the input first. The output is opened
// only when the input opened: a box that can't answer is never polled. What did open
// stays open for the caller to use or close. The view's two dialogs must exist.
SessionPortFailure OpenSessionPorts(ScannerView& view, const std::vector<std::string>& inputs,
                                    int input, const std::vector<std::string>& outputs, int output);
