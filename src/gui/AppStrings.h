#pragma once

#include <QString>

// The string table: the program's own strings and the framework's standard prompts.
namespace AppStrings {
constexpr int kOleInitFailed = 100;
constexpr int kDocumentString = 128;
constexpr int kAppName = 57344;
constexpr int kIdleMessage = 57345;

// The text of a string id, empty when the table has none.
QString Load(int id);
// The status-bar prompt of a command: the part before the newline.
QString Prompt(int commandId);
// The tooltip of a command: the part after the newline, empty when there is none.
QString Tooltip(int commandId);
} // namespace AppStrings
