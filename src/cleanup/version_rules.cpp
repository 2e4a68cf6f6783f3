#include "cleanup/version_rules.h"

#include <algorithm>
#include <cwctype>
#include <utility>

Version VersionFromFixed(uint32_t mostSignificant, uint32_t leastSignificant) {
    return {uint64_t{mostSignificant} << 32 | leastSignificant,
            std::to_wstring(mostSignificant >> 16) + L"." + std::to_wstring(mostSignificant & 0xFFFF) + L"." +
                std::to_wstring(leastSignificant >> 16)};
}

std::wstring LowerCase(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& unit : lower) unit = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(unit)));
    return lower;
}

bool IsExaminedName(std::wstring_view fileName) {
    const std::wstring lower = LowerCase(fileName);
    return lower.ends_with(L".exe") && lower.find(L"lumenfold") != std::wstring::npos;
}

void SortAndDeduplicate(std::vector<Candidate>& candidates) {
    std::vector<std::pair<std::wstring, Candidate>> keyed;
    keyed.reserve(candidates.size());
    for (Candidate& candidate : candidates) keyed.emplace_back(LowerCase(candidate.path), std::move(candidate));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    candidates.clear();
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].first != keyed[i - 1].first) candidates.push_back(std::move(keyed[i].second));
    }
}

std::wstring ReviewContent(std::wstring_view ownText, bool budgetExhausted, const std::vector<Candidate>& candidates) {
    std::wstring content = L"当前版本 / Current version: ";
    content += ownText;
    content += L"\n检查桌面和下载目录及两层子目录。\nChecked Desktop, Downloads and two subfolder levels.\n"
               L"保留当前版、运行中的程序、已安装版本、安装包及用户数据。\n"
               L"Current/running/installed copies, installers and user data are preserved.\n";
    if (budgetExhausted)
        content += L"\n达到检查上限，部分目录未检查。\nScan limit reached; some folders were not checked.\n";
    if (candidates.empty()) return content + L"\n未发现可清理的旧版便携程序。\nNo older portable copies found.";
    for (const Candidate& candidate : candidates) content += L"\n" + candidate.text + L" — " + candidate.path + L"\n";
    return content;
}

Outcome RecycleOutcome(bool deleted, bool intoBin, bool stillThere) {
    if (stillThere || !deleted) return Outcome::NotRemoved;
    return intoBin ? Outcome::Recycled : Outcome::DeletedForGood;
}

std::wstring ReportLine(Outcome outcome, std::wstring_view path) {
    const wchar_t* prefix = outcome == Outcome::Recycled         ? L"已移入回收站 / Recycled: "
                            : outcome == Outcome::NotRemoved     ? L"未清理 / Not removed: "
                            : outcome == Outcome::DeletedForGood ? L"已永久删除 / Deleted permanently: "
                                                                 : L"跳过 / Skipped: ";
    return prefix + std::wstring(path) + L"\n";
}
