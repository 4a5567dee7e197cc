#include "core/Saat.hpp"

#include <ctime>
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

std::string yerelMetin(const char* bicim) {
    std::time_t t = std::chrono::system_clock::to_time_t(simdi());
    std::tm yerel{};
    localtime_r(&t, &yerel);
    char buf[64];
    return std::string(buf, std::strftime(buf, sizeof buf, bicim, &yerel));
}

void kaynakKur(Kaynak* kaynak) { etkin = kaynak ? kaynak : &gercek; }

void SahteSaat::bekle(double saniye) {
    su += std::chrono::duration_cast<Zaman::duration>(std::chrono::duration<double>(saniye));
    toplamBekleme += saniye;
    ++beklemeSayisi;
    if (herBeklemede) herBeklemede();
}

}  // namespace Saat
