#include "services/OutputPort.h"

MidiResult OutputPort::Open(MidiHandle* handle, MidiHandle newHandle) {
    if (handle == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if (m_handle != 0) {
        return MidiResult::Allocated;
    }
    m_handle = newHandle;
    *handle = newHandle;
    return MidiResult::NoError;
}

MidiResult OutputPort::Prepare(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (header == nullptr || !HasBytes(*header)) {
        return MidiResult::InvalidParameter;
    }
    header->dwFlags |= kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult OutputPort::Unprepare(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (header == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if (m_device.Holds(header)) {
        return MidiResult::StillPlaying;
    }
    header->dwFlags &= ~kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult OutputPort::Send(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (header == nullptr || !HasBytes(*header)) {
        return MidiResult::InvalidParameter;
    }
    if ((header->dwFlags & kMidiHeaderPrepared) == 0) {
        return MidiResult::Unprepared;
    }
    const MidiResult result = m_device.Transmit(*header);
    // Done even when the device refused: it has nothing of the header to keep.
    if (!m_device.Holds(header)) {
        header->dwFlags |= kMidiHeaderDone;
    }
    return result;
}

MidiResult OutputPort::Close(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (m_device.HoldsAny()) {
        return MidiResult::StillPlaying;
    }
    const MidiResult result = m_device.Release();
    if (result == MidiResult::NoError) {
        m_handle = 0;
    }
    return result;
}
