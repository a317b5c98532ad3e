#pragma once

#include "cli/CliArguments.h"

// The --help text of a command, or of the program for CliCommand::None.
const char* HelpText(CliCommand command);
