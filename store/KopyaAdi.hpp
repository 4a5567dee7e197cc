#pragma once
// The fields of a copy name, shared by the name functions and retention.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

namespace Kopyalar {

struct KopyaAdi {
    int yil, ay, gun, saat, dakika, saniye;
    time_t an;  // the local time the fields stand for
};

// Days since 1970-01-01 of a Gregorian date.
int64_t gunSayisi(int64_t y, int64_t m, int64_t d);

// Strict: "yyyy-MM-dd_HHmmss" exactly, and the fields must be a real local
// time (no 30 February, no hour skipped by a clock change) in a year from
// 1678 to 2261, the span the clock can hold.
std::optional<KopyaAdi> adCoz(std::string_view ad);

}  // namespace Kopyalar
