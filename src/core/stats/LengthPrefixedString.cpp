#include "stats/LengthPrefixedString.h"

#include <cstdint>

namespace {

void PutLittleEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

std::string LengthPrefixedString(std::string_view text) {
    const uint64_t length = text.size();
    std::string out;
    out.reserve(text.size() + 7);
    if (length < 0xFF) {
        PutLittleEndian(out, length, 1);
    } else if (length < 0xFFFE) {
        out.push_back('\xFF');
        PutLittleEndian(out, length, 2);
    } else {
        out.push_back('\xFF');
        PutLittleEndian(out, 0xFFFF, 2);
        PutLittleEndian(out, length, 4);
    }
    out.append(text);
    return out;
}
