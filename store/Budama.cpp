// Which copies to keep, thinning, and making room.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <unordered_set>

#include "core/Gunluk.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/KopyaAdi.hpp"
#include "store/Kopyalar.hpp"

namespace Kopyalar {
namespace {

// ISO 8601 week-based year * 100 + week: the week belongs to the year of its
// Thursday.
int64_t isoHafta(const KopyaAdi& k) {
    using namespace std::chrono;
    sys_days gun = gunu(k);
    sys_days persembe = gun - days{weekday{gun}.iso_encoding()} + days{4};
    year yil = year_month_day{persembe}.year();
    return int64_t{static_cast<int>(yil)} * 100 + (persembe - sys_days{yil / January / 1}).count() / 7 + 1;
}

int64_t kova(int tur, const KopyaAdi& k) {
    int64_t ay = int64_t{k.yil} * 12 + k.ay;
    switch (tur) {
        case 0: return (ay * 32 + k.gun) * 24 + k.saat;
        case 1: return ay * 32 + k.gun;
        case 2: return isoHafta(k);
        case 3: return ay;
        default: return k.yil;
    }
}

}  // namespace

std::set<std::string> tutulacaklar(const std::vector<std::string>& adlar, const Saklama& saklama) {
    struct Aday {
        const std::string* ad;
        KopyaAdi alanlar;
    };
    std::vector<Aday> adaylar;
    adaylar.reserve(adlar.size());
    for (const auto& ad : adlar)
        if (auto k = adCoz(ad)) adaylar.push_back({&ad, *k});
    std::stable_sort(adaylar.begin(), adaylar.end(),
                     [](const Aday& a, const Aday& b) { return a.alanlar.an > b.alanlar.an; });
    std::set<std::string> tut;
    if (adaylar.empty()) return tut;
    tut.insert(*adaylar.front().ad);
    const int64_t sayilar[] = {saklama.saatlik, saklama.gunluk, saklama.haftalik, saklama.aylik, saklama.yillik};
    for (int tur = 0; tur < 5; ++tur) {
        int64_t n = sayilar[tur];
        std::unordered_set<int64_t> gorulen;
        for (const auto& a : adaylar) {
            int64_t k = kova(tur, a.alanlar);
            if (gorulen.count(k)) continue;
            if (n > 0 && static_cast<int64_t>(gorulen.size()) >= n) break;
            gorulen.insert(k);
            tut.insert(*a.ad);
        }
    }
    return tut;
}

std::vector<std::string> buda(const Saklama& saklama) {
    auto adlar = liste(Yol::yedekler());
    auto tut = tutulacaklar(adlar, saklama);
    std::vector<std::string> silinen;
    for (const auto& ad : adlar) {
        if (tut.count(ad)) continue;
        try {
            // Out of the list now; the tree goes at the next attach, where it is fast.
            sil(ad, Yol::yedekler(), false);
            silinen.push_back(ad);
        } catch (const std::exception& e) {
            Gunluk::yaz("HATA: kopya silinemedi " + ad + ": " + e.what());
        }
    }
    return silinen;
}

YerAcma yerAc(double gereken) {
    return yerAc(gereken, Disk::toplamYer(Yol::mnt()), [] { return Disk::bosYer(Yol::mnt()); });
}

YerAcma yerAc(double gereken, double toplam, const BosYerOlcer& bosYer) {
    YerAcma sonuc;
    if (gereken > bosYer()) {
        // Even with every copy but the newest gone the volume could not hold more than its capacity.
        sonuc.sigmaz = toplam > 0 && gereken > toplam;
        while (!sonuc.sigmaz) {
            auto adlar = liste(Yol::yedekler());
            if (adlar.size() < 2) break;  // the last copy is never given up for room
            try {
                sil(adlar[0], Yol::yedekler());
            } catch (const std::exception&) {
                Gunluk::yaz("HATA: kopya silinemedi " + adlar[0]);
                break;
            }
            sonuc.silinen.push_back(adlar[0]);
            if (!(gereken > bosYer())) break;
        }
    }
    sonuc.yeterli = bosYer() >= gereken;
    return sonuc;
}

}  // namespace Kopyalar
