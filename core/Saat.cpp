#include "core/Saat.hpp"

#include <thread>

namespace Saat {
namespace {

struct GercekSaat : Kaynak {
    Zaman simdi() override { return std::chrono::system_clock::now(); }
    void bekle(double saniye) override {
        if (saniye > 0) std::this_thread::sleep_for(std::chrono::duration<double>(saniye));
    }
};

GercekSaat gercek;
Kaynak* etkin = &gercek;

}  // namespace

Zaman simdi() { return etkin->simdi(); }

long long unix() {
    return std::chrono::duration_cast<std::chrono::seconds>(simdi().time_since_epoch()).count();
}

void bekle(double saniye) { etkin->bekle(saniye); }

void kaynakKur(Kaynak* kaynak) { etkin = kaynak ? kaynak : &gercek; }

void SahteSaat::bekle(double saniye) {
    su += std::chrono::duration_cast<Zaman::duration>(std::chrono::duration<double>(saniye));
    toplamBekleme += saniye;
    ++beklemeSayisi;
    if (herBeklemede) herBeklemede();
}

}  // namespace Saat
