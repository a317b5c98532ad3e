#pragma once

#include <string>
#include <string_view>

// The archive form of one string: its length in a 1-, 3- or 7-byte prefix, then the
// bytes, with no terminator.
std::string LengthPrefixedString(std::string_view text);
