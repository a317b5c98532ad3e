#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Keeps every byte the SysEx decoder takes from the input, in order, while it exists.
class ByteCapture {
public:
    ByteCapture();
    ~ByteCapture();
    ByteCapture(const ByteCapture&) = delete;
    ByteCapture& operator=(const ByteCapture&) = delete;

    const std::string& Bytes() const { return m_bytes; }

private:
    static void Append(void* context, const uint8_t* bytes, size_t count);

    std::string m_bytes;
};
