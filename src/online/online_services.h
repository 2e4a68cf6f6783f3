#pragma once
// Everything online: one worker thread publishes an OnlineSnapshot under a lock, and the toolbar
// copies it once a second. Offline, only the offline status text is ever published.
#include <windows.h>

#include <mutex>
#include <thread>

#include "common/handles.h"
#include "online/online_snapshot.h"

class OnlineServices {
public:
    OnlineServices();
    OnlineServices(const OnlineServices&) = delete;
    OnlineServices& operator=(const OnlineServices&) = delete;
    ~OnlineServices();

    // UI thread, once. Off: no identity, no cache, no thread, no file, no request.
    void Start(bool enabled);
    // Any thread: a copy taken under the lock.
    OnlineSnapshot Snapshot() const;

private:
    OnlineSnapshot snapshot;
    mutable std::mutex mutex;
    std::thread worker;
    UniqueHandle stopEvent;  // manual reset; wakes the worker's wait at once when set
};
