#include "common/log_line.h"

std::string LogLinePrefix(const UtcTime& t) {
    using std::to_string;
    return to_string(t.year) + "-" + to_string(t.month) + "-" + to_string(t.day) + " " + to_string(t.hour) +
           ":" + to_string(t.minute) + ":" + to_string(t.second) + " UTC ";
}

std::string LogLine(const UtcTime& time, std::string_view message) {
    std::string line = LogLinePrefix(time);
    line.append(message);
    line.push_back('\n');
    return line;
}
