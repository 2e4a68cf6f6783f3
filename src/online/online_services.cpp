#include "online/online_services.h"

OnlineServices::OnlineServices() : stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

OnlineServices::~OnlineServices() {
    if (stopEvent) SetEvent(stopEvent.get());
    if (worker.joinable()) worker.join();
}

void OnlineServices::Start(bool enabled) {
    if (!enabled) {
        const std::lock_guard lock(mutex);
        snapshot.status = "离线验收 / Offline acceptance: 网络服务未启动 / Network services not started";
        return;
    }
    // Online, the referral identity, the cache and the worker that refreshes banners and credits
    // start here; until they exist the snapshot stays empty.
}

OnlineSnapshot OnlineServices::Snapshot() const {
    const std::lock_guard lock(mutex);
    return snapshot;
}
