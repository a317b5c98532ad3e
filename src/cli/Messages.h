#pragma once

#include <string>

// Standard error carries errors and notes, each a line naming the program.
void PrintError(const std::string& text);
void PrintNote(const std::string& text);
