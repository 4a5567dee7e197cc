// Copy names and the list of copies.
#include "store/Kopyalar.hpp"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include "store/KopyaAdi.hpp"

namespace Kopyalar {

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
    std::tm tm{};
    tm.tm_year = k.yil - 1900;
    tm.tm_mon = k.ay - 1;
    tm.tm_mday = k.gun;
    tm.tm_hour = k.saat;
    tm.tm_min = k.dakika;
    tm.tm_sec = k.saniye;
    tm.tm_isdst = -1;
    k.an = std::mktime(&tm);
    // mktime moves 30 February and skipped hours elsewhere: only a time that
    // reads back as the same fields is real.
    std::tm geri{};
    if (!localtime_r(&k.an, &geri)) return std::nullopt;
    if (geri.tm_year != tm.tm_year || geri.tm_mon != k.ay - 1 || geri.tm_mday != k.gun || geri.tm_hour != k.saat ||
        geri.tm_min != k.dakika || geri.tm_sec != k.saniye)
        return std::nullopt;
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
    std::unique_ptr<icu::DateFormat> bicim(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kShort, icu::Locale::getDefault()));
    if (!bicim) return ad;
    // The zone of this moment, not the one ICU saw first.
    bicim->adoptTimeZone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString metin;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(an->time_since_epoch()).count();
    bicim->format(static_cast<UDate>(ms), metin);
    std::string sonuc;
    metin.toUTF8String(sonuc);
    return sonuc;
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
