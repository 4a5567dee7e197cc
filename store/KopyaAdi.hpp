#pragma once
// The fields of a copy name, shared by the name functions and retention.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

namespace Kopyalar {

struct KopyaAdi {
    int yil, ay, gun, saat, dakika, saniye;
    time_t an;  // the local time the fields stand for
};

// The calendar day of the fields; a day past the month's end (30 February)
// runs on into the next month, as the calendar types define it.
inline std::chrono::sys_days gunu(const KopyaAdi& k) {
    return std::chrono::year_month_day{std::chrono::year{k.yil}, std::chrono::month(static_cast<unsigned>(k.ay)),
                                       std::chrono::day(static_cast<unsigned>(k.gun))};
}

// Strict: "yyyy-MM-dd_HHmmss" exactly, and the fields must be a real local
// time (no 30 February, no hour skipped by a clock change) in a year from
// 1678 to 2261, the span the clock can hold.
std::optional<KopyaAdi> adCoz(std::string_view ad);

}  // namespace Kopyalar
