#pragma once
// The one seam for "now" and for every wait, so tests can run the 5-second
// retries and the two-hour deadline without waiting.
#include <chrono>
#include <functional>
#include <string>

namespace Saat {

using Zaman = std::chrono::system_clock::time_point;

struct Kaynak {
    virtual ~Kaynak() = default;
    virtual Zaman simdi() = 0;
    virtual void bekle(double saniye) = 0;
};

Zaman simdi();
// Whole seconds since 1970, as the state files store times.
long long unix();
void bekle(double saniye);
// "now" in local time through strftime's format, e.g. "%Y-%m-%d".
std::string yerelMetin(const char* bicim);

// Replaces the clock for this process; nullptr restores the real one.
void kaynakKur(Kaynak* kaynak);

// A clock for tests: waiting moves time forward at once and is recorded.
struct SahteSaat : Kaynak {
    Zaman su;
    double toplamBekleme = 0;
    int beklemeSayisi = 0;
    std::function<void()> herBeklemede;  // runs after each wait, e.g. to change a file
    explicit SahteSaat(Zaman baslangic = std::chrono::system_clock::now()) : su(baslangic) {}
    Zaman simdi() override { return su; }
    void bekle(double saniye) override;
};

}  // namespace Saat
