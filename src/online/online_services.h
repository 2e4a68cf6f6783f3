#pragma once
// Everything online: one worker thread refreshes banners and credits, publishes an OnlineSnapshot
// under a lock, and the toolbar copies it once a second. The worker never talks to windows.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "online/online_snapshot.h"

// A cached banner image's bytes, when its header passes; no decoder has seen them.
std::optional<std::string> ReadBannerImage(const std::string& imagePath);

// Takes the two cache files of the data folder into the snapshot; the credits only when they
// belong to its referral code.
void LoadCache(OnlineSnapshot& snapshot);

class OnlineServices {
public:
    OnlineServices() = default;
    OnlineServices(const OnlineServices&) = delete;
    OnlineServices& operator=(const OnlineServices&) = delete;
    // Tells the worker to stop and waits for it a second at most: a request in flight may take a
    // minute, and quitting must not. A worker still busy then ends with the process; it holds what
    // it uses itself, and every file it writes is replaced whole or not at all.
    ~OnlineServices();

    // UI thread, once. Off: no identity, no cache, no thread, no file, no request.
    void Start(bool enabled);
    // Any thread: a copy taken under the lock.
    OnlineSnapshot Snapshot() const;
    // Whether a worker runs, so that the snapshot can change at all.
    bool Running() const { return thread.joinable(); }

private:
    class Worker;
    std::shared_ptr<Worker> state;  // shared with the worker thread
    std::thread thread;
};
