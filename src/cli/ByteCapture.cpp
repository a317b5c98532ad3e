#include "cli/ByteCapture.h"

#include "decoder/SysexFraming.h"

ByteCapture::ByteCapture() {
    SetConsumedBytesSink(Append, this);
}

ByteCapture::~ByteCapture() {
    SetConsumedBytesSink(nullptr, nullptr);
}

void ByteCapture::Append(void* context, const uint8_t* bytes, size_t count) {
    static_cast<ByteCapture*>(context)->m_bytes.append(reinterpret_cast<const char*>(bytes), count);
}
