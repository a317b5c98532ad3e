#pragma once

#include <functional>

// The application lock: every document holds it for its life, and a process started
// for automation ends when no lock is left and no window is shown.
namespace AppLock {
void Lock();
void Unlock();
int Count();
// `handler` runs each time the count drops to 0, from inside the Unlock that drops it;
// an empty handler removes it.
void SetReleasedAllHandler(std::function<void()> handler);
} // namespace AppLock
