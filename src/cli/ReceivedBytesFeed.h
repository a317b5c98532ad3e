#pragma once

#include <string_view>

class ScannerView;

// Hands `bytes` to the input rings as the input callback would, one returned buffer of
// at most 512 bytes at a time, and decodes after each as a poll tick would.
void FeedReceivedBytes(ScannerView& view, std::string_view bytes);
