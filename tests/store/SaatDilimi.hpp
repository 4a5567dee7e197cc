#pragma once
// Copy names are local time: the store's tests switch the process's zone.
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

inline void saatDilimiKur(const std::string& tz) {
    setenv("TZ", tz.c_str(), 1);
    tzset();
}

// Zones with and without clock changes, and one a half hour off.
inline const std::vector<std::string>& saatDilimleri() {
    static const std::vector<std::string> d = {"UTC", "America/New_York", "Asia/Kolkata"};
    return d;
}
