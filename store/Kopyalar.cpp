// Copy names and the list of copies.
#include "store/Kopyalar.hpp"

#include <dirent.h>

#include <algorithm>
#include <cstdio>

#include "core/Icu.hpp"
#include "store/KopyaAdi.hpp"

namespace Kopyalar {
namespace {

constexpr int enErkenYil = 1678;
constexpr int enGecYil = 2261;

}  // namespace

std::optional<KopyaAdi> adCoz(std::string_view ad) {
    if (ad.size() != 17) return std::nullopt;
    for (size_t i = 0; i < ad.size(); ++i) {
        char beklenen = i == 4 || i == 7 ? '-' : i == 10 ? '_' : '0';
        if (beklenen == '0' ? (ad[i] < '0' || ad[i] > '9') : ad[i] != beklenen) return std::nullopt;
    }
    auto sayi = [&](size_t bas, size_t uzunluk) {
        int n = 0;
        for (size_t i = bas; i < bas + uzunluk; ++i) n = n * 10 + (ad[i] - '0');
        return n;
    };
    KopyaAdi k{sayi(0, 4), sayi(5, 2), sayi(8, 2), sayi(11, 2), sayi(13, 2), sayi(15, 2), 0};
    if (k.ay < 1 || k.ay > 12 || k.gun < 1 || k.gun > 31 || k.saat > 23 || k.dakika > 59 || k.saniye > 59)
        return std::nullopt;
    // The clock counts nanoseconds in 64 bits: it holds 1677-09 to 2262-04
    // only, so a name outside whole years of that span is no moment at all.
    if (k.yil < enErkenYil || k.yil > enGecYil) return std::nullopt;
    // The fields read as UTC, moved by the zone's offset at that moment; a
    // time that does not read back as the same fields (30 February, an hour
    // skipped by a clock change) is not real. The library's mktime would
    // re-read the zone on every call, too slow for long lists.
    time_t utc = static_cast<time_t>(gunu(k).time_since_epoch().count() * int64_t{86400} + k.saat * 3600 +
                                     k.dakika * 60 + k.saniye);
    auto ayni = [&](time_t t, std::tm& tm) {
        return localtime_r(&t, &tm) && tm.tm_year == k.yil - 1900 && tm.tm_mon == k.ay - 1 && tm.tm_mday == k.gun &&
               tm.tm_hour == k.saat && tm.tm_min == k.dakika && tm.tm_sec == k.saniye;
    };
    std::tm tm{};
    if (!localtime_r(&utc, &tm)) return std::nullopt;
    k.an = utc - tm.tm_gmtoff;
    if (ayni(k.an, tm)) return k;
    // Near a clock change the offset of the result may differ from the first guess.
    k.an = utc - tm.tm_gmtoff;
    if (!ayni(k.an, tm)) return std::nullopt;
    return k;
}

std::optional<Saat::Zaman> tarih(const std::string& ad) {
    auto k = adCoz(ad);
    if (!k) return std::nullopt;
    return std::chrono::system_clock::from_time_t(k->an);
}

std::string yeniAd(Saat::Zaman zaman) {
    time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::floor<std::chrono::seconds>(zaman));
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d_%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string goster(const std::string& ad) {
    auto an = tarih(ad);
    if (!an) return ad;
    return Icu::tarih(*an, Icu::TarihBicimi::orta).value_or(ad);
}

std::vector<std::string> liste(const std::string& kok) {
    std::vector<std::string> adlar;
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(kok.c_str()), ::closedir);
    if (!d) return adlar;
    while (dirent* e = ::readdir(d.get()))
        if (adCoz(e->d_name)) adlar.emplace_back(e->d_name);
    std::sort(adlar.begin(), adlar.end());
    return adlar;
}

std::optional<std::string> son(const std::string& kok) {
    auto adlar = liste(kok);
    if (adlar.empty()) return std::nullopt;
    return adlar.back();
}

}  // namespace Kopyalar
