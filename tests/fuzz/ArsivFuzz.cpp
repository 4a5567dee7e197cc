// An update archive as the updater unpacks it: whatever the bytes, nothing
// lands outside the staging folder, and an accepted archive is a bundle.
#include <filesystem>
#include <stdexcept>

#include "tests/fuzz/FuzzOrtami.hpp"
#include "update/Paket.hpp"

namespace fs = std::filesystem;

void FuzzOrtami::dene(const std::string& girdi) {
    static const std::string uygulamalar = kok() + "/Uygulamalar", paket = uygulamalar + "/Ondrak Brimvale.app";
    static const bool hazir = (fs::create_directories(paket), true);
    (void)hazir;
    std::string arsiv = kok() + "/arsiv";
    dosyaYaz(arsiv, girdi);
    try {
        std::string yeni = Guncelleme::ac(arsiv, paket, "2");
        gerek(fs::is_regular_file(yeni + "/Contents/MacOS/Brimvale"));
    } catch (const std::runtime_error&) {
    }
    // Only the bundle and its staging folder are beside it.
    for (const auto& e : fs::directory_iterator(uygulamalar)) {
        auto ad = e.path().filename().string();
        gerek(ad == "Ondrak Brimvale.app" || ad == ".Ondrak Brimvale.app.yeni");
    }
    gerek(fs::is_empty(paket));
}
