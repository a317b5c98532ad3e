#pragma once

#include <chrono>

// How the runner ends on a signal. Any signal that ends a program and can be caught
// first removes a temporary file that a write has under way, then ends the program by
// that same signal. While a scan polls, SIGINT and SIGTERM instead end the poll at its
// next tick, so that what was gathered is still closed and written out; a second one
// ends the program.
void InstallSignalHandlers();

// While armed, SIGINT and SIGTERM interrupt the scan instead of ending the program.
void ArmScanInterrupt(bool armed);

// Waits until `deadline`; false as soon as the scan is interrupted.
bool WaitUnlessInterrupted(std::chrono::steady_clock::time_point deadline);

// The signal that interrupted the scan, or 0.
int ScanInterruptSignal();
