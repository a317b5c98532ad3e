// Proves that the input callback, with the buffer calls it makes into each backend,
// allocates nothing and takes no lock: this binary replaces operator new and
// interposes pthread_mutex_lock, counting the calls made on a thread while it runs
// the callback.

#include "MidiTestSupport.h"
#include "ProcessStateGuard.h"
#include "ScriptedMidiServices.h"
#include "ports/SendLongMessage.h"
#include "services/CompositeMidiServices.h"
#include "sim/SimulatorServices.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace {

thread_local bool t_inCallback = false;
std::atomic<int> g_allocations{0};
std::atomic<int> g_locks{0};
std::atomic<int> g_callbacks{0};

void* CountedAllocate(std::size_t size) {
    if (t_inCallback) {
        g_allocations.fetch_add(1);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    using Lock = int (*)(pthread_mutex_t*);
    static std::atomic<Lock> real{nullptr};
    if (real.load() == nullptr) {
        real.store(reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock")));
    }
    if (t_inCallback) {
        g_locks.fetch_add(1);
    }
    return real.load()(mutex);
}

namespace {

// Passes every call to `inner`, and marks the thread while a backend runs the
// application's input callback.
class CountingServices final : public MidiServices {
public:
    explicit CountingServices(MidiServices& inner) : m_inner(inner) {}

    uint32_t InGetNumDevs() override { return m_inner.InGetNumDevs(); }
    MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) override {
        return m_inner.InGetDevCaps(device, caps);
    }
    MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                      uintptr_t instance) override {
        m_callback = callback;
        return m_inner.InOpen(handle, device, Counted, instance);
    }
    MidiResult InStart(MidiHandle handle) override { return m_inner.InStart(handle); }
    MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_inner.InPrepareHeader(handle, header);
    }
    MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_inner.InUnprepareHeader(handle, header);
    }
    MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) override {
        return m_inner.InAddBuffer(handle, header);
    }
    MidiResult InReset(MidiHandle handle) override { return m_inner.InReset(handle); }
    MidiResult InClose(MidiHandle handle) override { return m_inner.InClose(handle); }
    uint32_t OutGetNumDevs() override { return m_inner.OutGetNumDevs(); }
    MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) override {
        return m_inner.OutGetDevCaps(device, caps);
    }
    MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                       uintptr_t instance) override {
        return m_inner.OutOpen(handle, device, callback, instance);
    }
    MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_inner.OutPrepareHeader(handle, header);
    }
    MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_inner.OutUnprepareHeader(handle, header);
    }
    MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) override {
        return m_inner.OutLongMsg(handle, header);
    }
    MidiResult OutClose(MidiHandle handle) override { return m_inner.OutClose(handle); }

private:
    static void Counted(MidiHandle handle, uint32_t message, uintptr_t instance, uintptr_t dwParam1,
                        uintptr_t dwParam2) {
        t_inCallback = true;
        m_callback(handle, message, instance, dwParam1, dwParam2);
        t_inCallback = false;
        g_callbacks.fetch_add(1);
    }

    // One input is open at a time in these tests.
    static inline MidiInProc m_callback = nullptr;
    MidiServices& m_inner;
};

class CallbackResources : public ::testing::Test {
protected:
    void SetUp() override {
        view.m_pInPortDlg = &inDialog;
        view.m_pOutPortDlg = &outDialog;
        g_allocations = 0;
        g_locks = 0;
        g_callbacks = 0;
    }
    void TearDown() override { view.ClosePortsAtShutdown(); }

    ScriptedMidiServices scripted;
    SimulatorServices simulator;
    CountingServices countingScripted{scripted};
    CountingServices countingSimulator{simulator};
    CompositeMidiServices composite{scripted, countingSimulator};
    PortDeviceChoice inDialog;
    PortDeviceChoice outDialog;
    TestView view;
    // Last: made after the view, so its welcome lines are gone; the services each test
    // installs leave with it, before they go.
    ProcessStateGuard state;
};

TEST_F(CallbackResources, TheCountersSeeAllocationsAndLocksOnAMarkedThread) {
    std::mutex mutex;
    t_inCallback = true;
    int* number = new int(10);
    mutex.lock();
    mutex.unlock();
    t_inCallback = false;
    delete number;

    EXPECT_EQ(g_allocations.load(), 1);
    EXPECT_EQ(g_locks.load(), 1);
}

TEST_F(CallbackResources, TheCallbackOverTheScriptedBackendAllocatesNothingAndTakesNoLock) {
    SetMidiServices(&countingScripted);
    view.OpenMidiIn();

    scripted.InjectShortMessage(0x00403C90);
    scripted.InjectError(1);
    scripted.InjectSysex(std::vector<uint8_t>(1500, 0x01));
    scripted.InjectLongError({0xF0, 0x09});
    view.CloseMidiIn(); // the reset returns the buffer while closing

    EXPECT_EQ(g_callbacks.load(), 1 + 1 + 1 + 3 + 1 + 1 + 1); // ends with reset and close
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(g_locks.load(), 0);
}

TEST_F(CallbackResources,
       TheCallbackBehindTheCompositeOverTheSimulatorAllocatesNothingAndTakesNoLock) {
    SetMidiServices(&composite);
    inDialog.m_nDevice = 2; // after the two scripted devices
    outDialog.m_nDevice = 2;
    view.OpenMidiIn();
    view.OpenMidiOut();
    const uint8_t scanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};
    const uint8_t setupInformationRequest[] = {0xF0, 0x09, 0x2A, 0xF7};

    SendLongMessage(2, scanRequest);
    SendLongMessage(2, setupInformationRequest);
    ASSERT_TRUE(WaitUntil([] { return g_callbacks.load() == 4; })); // open, scan, 2 pieces
    view.CloseMidiIn();

    EXPECT_EQ(g_callbacks.load(), 6);
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(g_locks.load(), 0);
}

} // namespace
