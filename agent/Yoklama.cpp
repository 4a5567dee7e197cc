// Does the agent start when asked? It removes the probe marker when it runs.
#include <filesystem>

#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "agent/Kurulum.hpp"

namespace fs = std::filesystem;

namespace Kurulum {

bool ajanYokla() {
    std::error_code ec;
    fs::create_directories(Yol::durum(), ec);
    yazDene(Yol::yoklama(), "");
    (void)Servis::baslat();
    for (int i = 0; i < 20; ++i) {
        if (!fs::exists(Yol::yoklama(), ec)) return true;
        Saat::bekle(0.25);
    }
    if (!fs::exists(Yol::yoklama(), ec)) return true;
    fs::remove(Yol::yoklama(), ec);
    return false;
}

}  // namespace Kurulum
