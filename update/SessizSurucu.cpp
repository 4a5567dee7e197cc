#include "update/SessizSurucu.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "update/Guncelleyici.hpp"

namespace SessizSurucu {
namespace {

constexpr auto kSessizlik = std::chrono::seconds(120);

// Answers every step by itself and says it in one line. Steps arrive on the
// cycle's thread; the watch on the main thread only counts them.
struct Surucu : Guncelleme::Surucu {
    std::ostream& o;
    std::mutex m;
    std::atomic<long> olay{0};
    std::atomic<bool> ertelendi_{false};
    bool sustu = false;  // the watch has answered for us

    explicit Surucu(std::ostream& o) : o(o) {}
    void yaz(const std::string& satir) {
        std::lock_guard k(m);
        ++olay;
        if (sustu) return;
        o << satir << '\n';
        o.flush();
    }
    void denetleniyor() override { yaz("denetleniyor"); }
    void bulundu(const Guncelleme::Surum& s) override { yaz(s.surum + " (" + s.yapi + ")"); }
    void indiriliyor() override { yaz("indiriliyor"); }
    void aciliyor() override { yaz("açılıyor"); }
    void kuruluyor() override { yaz("kuruluyor"); }
    void ertelendi() override { ertelendi_ = true; }
    void kuruldu() override { yaz("kuruldu"); }
    void hata(const std::string& h) override { yaz("HATA " + h); }
    void duyuldu() override { ++olay; }
};

}  // namespace

int yurut(std::ostream& cikti, const Guncelleme::Ayar& ayar) {
    Surucu s(cikti);
    std::atomic<bool> iptal{false}, bitti{false};
    Guncelleme::Sonuc sonuc = Guncelleme::Sonuc::hata;
    std::thread is([&] {
        sonuc = Guncelleme::dongu(ayar, s, iptal);
        bitti = true;
    });
    // Silence, not a long download, ends the run; waiting for a backup is
    // not silence.
    long gorulen = -1;
    Saat::Zaman son = Saat::simdi();
    while (!bitti) {
        Saat::bekle(0.2);
        // The time runs from the first step: the cycle begins by saying it checks.
        if (long o = s.olay; o != gorulen || o == 0 || s.ertelendi_) {
            gorulen = o;
            son = Saat::simdi();
        } else if (Saat::simdi() - son >= kSessizlik) {
            {
                std::lock_guard k(s.m);
                s.sustu = true;
                cikti << "HATA zaman aşımı\n";
                cikti.flush();
            }
            iptal = true;
            is.join();
            return 2;
        }
    }
    is.join();
    switch (sonuc) {
        case Guncelleme::Sonuc::kuruldu: return 0;
        case Guncelleme::Sonuc::yok: return 3;
        default: return 1;
    }
}

void calistir(std::function<bool()> yedekCalisiyor) {
    int kod = 1;
    if (Guncelleyici::etkin())
        kod = yurut(std::cout, Guncelleyici::ayar(std::move(yedekCalisiyor)));
    else if (!UygulamaBilgisi::paketYolu())
        std::cout << "HATA updates are off: this program does not run from its application bundle\n";
    else
        std::cout << "HATA updates are off: a test state folder (BRIMVALE_DURUM) needs BRIMVALE_FEED\n";
    std::fflush(nullptr);
    std::exit(kod);
}

}  // namespace SessizSurucu
