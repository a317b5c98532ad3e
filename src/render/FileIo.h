#pragma once

#include <string>
#include <string_view>

// Reads the whole file. On failure `error` says which file and why.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

// Replaces `path` with `bytes` whole or not at all: the bytes go to a temporary file
// beside it, which is then renamed over it. On failure nothing is left behind and
// `error` says which file and why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Whether `path` can be written, found out by starting a write and dropping it.
bool CanWriteFile(const std::string& path, std::string* error);
