#pragma once
// The activity log's line format, apart from the file handling.
#include <string>
#include <string_view>

struct UtcTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "2026-2-1 9:5:3 UTC ": plain decimal numbers, no leading zeros, no milliseconds.
std::string LogLinePrefix(const UtcTime& time);

// One whole line: prefix, the message bytes unchanged, a line feed.
std::string LogLine(const UtcTime& time, std::string_view message);
