#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "scanner/ScannerView.h"

#include <cstdint>

namespace {

constexpr int kErrorTextBytes = 128;

// A port dialog that does not exist chooses no device: the open then fails as for
// any device that is not there.
constexpr uint32_t kNoDevice = UINT32_MAX;

uint32_t ChosenDevice(const PortDeviceChoice* dialog) {
    return dialog != nullptr ? static_cast<uint32_t>(dialog->m_nDevice) : kNoDevice;
}

void AppendResultText(MidiResult result) {
    char text[kErrorTextBytes];
    MidiServices::GetErrorText(result, text, sizeof text);
    MessageLog.AppendToLast(text);
}

} // namespace

int ScannerView::OpenMidiIn() {
    if (m_bInOpen == 1) {
        MessageLog.AppendText("midiInOpen called when already open THIS IS BAD but protected now ");
        return 1;
    }
    MidiServices& services = CurrentMidiServices();
    const uint32_t device = ChosenDevice(m_pInPortDlg);
    services.InGetDevCaps(device, &InputCaps);
    MessageLog.Append("In Open %s ", InputCaps.szPname);

    // A quick re-open must not find the flag of the last close still set: its first
    // returned buffer would not be queued again and input would stop.
    InputClosing.store(0, std::memory_order_release);
    const MidiResult result =
        services.InOpen(&MidiInHandle, device, MidiInCallback, reinterpret_cast<uintptr_t>(this));
    if (result != MidiResult::NoError) {
        MessageLog.AppendFirstPiece("In Open FAILED  ");
        AppendResultText(result);
        return 0;
    }
    m_bInOpen = 1;
    services.InStart(MidiInHandle);
    InputHeader.lpData = InputBuffer;
    InputHeader.dwBufferLength = kInputBufferBytes;
    InputHeader.dwFlags = 0;
    InputHeader.dwUser = 0;
    services.InPrepareHeader(MidiInHandle, &InputHeader);
    services.InAddBuffer(MidiInHandle, &InputHeader);
    return 1;
}

int ScannerView::CloseMidiIn() {
    if (m_bInOpen == 0) {
        return 0;
    }
    MidiServices& services = CurrentMidiServices();
    // Set before the reset, so the buffer it returns is released, not queued again.
    InputClosing.store(1, std::memory_order_release);
    services.InReset(MidiInHandle);
    MessageLog.Append("In Close %s ", InputCaps.szPname);
    if (services.InClose(MidiInHandle) == MidiResult::NoError) {
        m_bInOpen = 0;
        return 0;
    }
    m_bInOpen = 1;
    MessageLog.AppendText("midiInClose failed THIS may be BAD");
    return 1;
}

void ScannerView::OpenMidiOut() {
    if (m_bOutOpen == 1) {
        MessageLog.AppendText(
            "midiOutOpen called when already open THIS IS BAD but protected now ");
        return;
    }
    MidiServices& services = CurrentMidiServices();
    const uint32_t device = ChosenDevice(m_pOutPortDlg);
    services.OutGetDevCaps(device, &OutputCaps);
    MessageLog.AppendFirstPiece("Out Open %s ", OutputCaps.szPname);
    const MidiResult result = services.OutOpen(&MidiOutHandle, device, MidiOutCallback,
                                               reinterpret_cast<uintptr_t>(this));
    m_bOutOpen = result == MidiResult::NoError ? 1 : 0;
    AppendResultText(result);
}

void ScannerView::CloseMidiOut() {
    // Closing a closed port would mark it open with a handle that is no port.
    if (m_bOutOpen == 0) {
        return;
    }
    MidiServices& services = CurrentMidiServices();
    services.OutGetDevCaps(ChosenDevice(m_pOutPortDlg), &OutputCaps);
    MessageLog.AppendFirstPiece("Out Close %s ", OutputCaps.szPname);
    const MidiResult result = services.OutClose(MidiOutHandle);
    m_bOutOpen = result != MidiResult::NoError ? 1 : 0;
    AppendResultText(result);
}

void ScannerView::ClosePortsAtShutdown() {
    if (m_bInOpen == 1) {
        CloseMidiIn();
    }
    if (m_bOutOpen == 1 && CurrentMidiServices().OutClose(MidiOutHandle) == MidiResult::NoError) {
        m_bOutOpen = 0;
    }
}
