#include "gui/AppLock.h"

#include <utility>

namespace {
int lockCount = 0;

std::function<void()>& ReleasedAllHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void AppLock::Lock() {
    ++lockCount;
}

void AppLock::Unlock() {
    --lockCount;
    if (lockCount == 0 && ReleasedAllHandler()) {
        ReleasedAllHandler()();
    }
}

int AppLock::Count() {
    return lockCount;
}

void AppLock::SetReleasedAllHandler(std::function<void()> handler) {
    ReleasedAllHandler() = std::move(handler);
}
