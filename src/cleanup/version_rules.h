#pragma once
// What the old-version review decides without asking Windows: version values and their text, which
// files are worth reading, the order of the list, and every text the review shows.
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct Version {
    uint64_t value = 0;  // major, minor, build, revision from the most significant end
    std::wstring text;   // "major.minor.build"
};

using FileId = std::array<uint8_t, 16>;

// Which file a path led to. A folder on the way swapped for a link, or a copy started under another
// spelling of its path (8.3 name, letter case), shows here while the path itself looks the same.
struct FileIdentity {
    uint64_t volume = 0;     // the volume's serial number
    FileId id{};             // the file's ID on that volume
    std::wstring finalPath;  // the path the file system resolved it to
    std::pair<uint64_t, FileId> Key() const { return {volume, id}; }
    bool operator==(const FileIdentity&) const = default;
};

// The files running processes were started from, by volume and file ID.
using RunningFiles = std::set<std::pair<uint64_t, FileId>>;

struct Candidate {
    std::wstring path;  // as found
    uint64_t version = 0;
    std::wstring text;
    FileIdentity identity;  // as found
    bool operator==(const Candidate&) const = default;
};

inline constexpr int kScanDepth = 2;          // subfolder levels below each root
inline constexpr long kScanBudget = 12000;    // directory entries over both roots, "." and ".." included
inline constexpr uint32_t kMaxVersionBlock = 1048576;
inline constexpr uint32_t kPathBuffer = 32768;

inline constexpr int kConfirmButtonId = 1;
inline constexpr int kCopyButtonId = 100;
inline constexpr wchar_t kReviewTitle[] = L"Lumenfold · 清理旧版本 / Clean up old versions";
inline constexpr wchar_t kReviewInstruction[] = L"确认清理以下旧版程序？\nRecycle these older copies?";
inline constexpr wchar_t kConfirmButtonText[] = L"移入回收站 / Move to Recycle Bin";
inline constexpr wchar_t kCopyButtonText[] = L"复制清单 / Copy list";
inline constexpr wchar_t kOwnVersionUnreadable[] =
    L"无法确认当前版本，未清理任何文件。\nCannot verify current version; no files were removed.";

// The fixed file version's halves as one value that orders versions, with the text users see (the
// revision left out).
Version VersionFromFixed(uint32_t mostSignificant, uint32_t leastSignificant);

// towlower on every code unit, as paths are compared throughout the review.
std::wstring LowerCase(std::wstring_view text);

// Only executables that name the product are opened: reading every program's version would cost
// the budget's worth of file reads.
bool IsExaminedName(std::wstring_view fileName);

// Sorted by lower-cased path; a file found through both roots stays once.
void SortAndDeduplicate(std::vector<Candidate>& candidates);

// The dialog's content: the own version, what was checked, the scan-limit note when the budget ran
// out, then the list (or, with no candidates, the nothing-found note).
std::wstring ReviewContent(std::wstring_view ownText, bool budgetExhausted, const std::vector<Candidate>& candidates);

enum class Outcome { Recycled, NotRemoved, Skipped, DeletedForGood };

// A file is recycled only when the shell put it in the Recycle Bin and it is gone from its place; one
// the shell deleted for good (the bin could not take it and the user accepted that) is never called
// recycled.
Outcome RecycleOutcome(bool deleted, bool intoBin, bool stillThere);

// One line of the closing report.
std::wstring ReportLine(Outcome outcome, std::wstring_view path);
