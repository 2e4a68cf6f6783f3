#pragma once
// The old-version review: finds older portable copies of this program on the Desktop and in
// Downloads, lists them for confirmation and moves them to the Recycle Bin one by one.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cleanup/version_rules.h"

// The whole review, modal to the owner (the host window); runs on the UI thread with COM started.
void ReviewOldVersions(HWND owner);

// True when the file is this program (its three identity strings) with a valid fixed file version.
bool ReadVersion(const std::wstring& path, Version& version);

// The file the path names now, without following a link in its last component; false when it cannot
// be opened or identified. Running images are read following links, to the file that was started.
bool ReadIdentity(const std::wstring& path, FileIdentity& identity, bool followLink = false);

// The image files of every process this user may query.
RunningFiles RunningImages();

// Adds the older copies in the folder and `depth` subfolder levels below it; every directory entry
// costs one unit of the budget, and the scan stops where the budget runs out.
void Scan(const std::wstring& folder, int depth, uint64_t ownVersion, const RunningFiles& running,
          std::vector<Candidate>& candidates, long& budget);

struct Findings {
    std::vector<Candidate> candidates;  // sorted, each file once
    bool budgetExhausted = false;
};

// Scans the roots in order, sharing one budget.
Findings FindCandidates(const std::vector<std::wstring>& roots, uint64_t ownVersion, const RunningFiles& running);

// The confirmation dialog's callback: the copy button copies the content (its reference data) and
// keeps the dialog open.
HRESULT CALLBACK DialogCallback(HWND dialog, UINT notification, WPARAM wParam, LPARAM lParam, LONG_PTR data) noexcept;
