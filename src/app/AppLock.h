#pragma once

// The application lock: every document holds it for its life, and a process started
// for automation ends when no lock is left and no window is shown.
namespace AppLock {
void Lock();
void Unlock();
int Count();
} // namespace AppLock
