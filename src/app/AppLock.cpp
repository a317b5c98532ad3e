#include "app/AppLock.h"

namespace {
int lockCount = 0;
} // namespace

void AppLock::Lock() {
    ++lockCount;
}

void AppLock::Unlock() {
    --lockCount;
}

int AppLock::Count() {
    return lockCount;
}
