#include "cli/ReceivedBytesFeed.h"

#include "ports/InputRings.h"
#include "ports/MidiMessageKinds.h"
#include "ports/MidiPortLayer.h"
#include "scanner/ScannerView.h"

#include <algorithm>

void FeedReceivedBytes(ScannerView& view, std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t at = 0; at < bytes.size(); at += kInputBufferBytes) {
        const auto count =
            static_cast<uint32_t>(std::min<size_t>(kInputBufferBytes, bytes.size() - at));
        // The rings were drained after the last event, so there is room.
        RecordInputEvent(CallbackEvent{0, count, kMimLongData, 0, 0}, data + at, count);
        view.ProcessMidiInput();
    }
}
