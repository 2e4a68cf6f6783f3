#pragma once
// Everything online: one worker thread refreshes banners and credits, publishes an OnlineSnapshot
// under a lock, and the toolbar copies it once a second. The worker never talks to windows.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <thread>

#include "common/handles.h"
#include "online/affiliate_identity.h"
#include "online/online_snapshot.h"

class OnlineServices {
public:
    OnlineServices();
    OnlineServices(const OnlineServices&) = delete;
    OnlineServices& operator=(const OnlineServices&) = delete;
    // Stops the worker (at once while it waits; after the request in flight otherwise).
    ~OnlineServices();

    // UI thread, once. Off: no identity, no cache, no thread, no file, no request.
    void Start(bool enabled);
    // Any thread: a copy taken under the lock.
    OnlineSnapshot Snapshot() const;

private:
    void LoadCache();
    void Run();
    void RefreshBanners();
    void RefreshCredits();
    bool Stopping() const;

    AffiliateIdentity identity;  // written before the worker starts, only read afterwards
    OnlineSnapshot snapshot;
    mutable std::mutex mutex;
    std::thread worker;
    UniqueHandle stopEvent;  // manual reset; wakes the worker's wait at once when set
    uint32_t refreshIntervalSeconds = 540;  // the worker's alone
};
