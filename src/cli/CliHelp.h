#pragma once

#include "cli/CliArguments.h"

#include <string>

// The --help text of a command, or of the program for CliCommand::None.
std::string HelpText(CliCommand command);
