// The live status files as the windows and the engine read them: the stage
// file, the postponement record and the lock's pid file.
#include "backup/Durum.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    for (const auto& yol : {Yol::asama(), Yol::ertelendi(), Yol::kilitPid()}) dosyaYaz(yol, girdi);
    Yedekleme::asamaOku();
    Yedekleme::ertelemeOku();
    Yedekleme::calisanPid();
}
