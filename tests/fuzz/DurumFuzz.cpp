// The live status files as the windows and the engine read them: the stage
// file, the postponement record and the lock's pid file. The input is each
// file's text in turn.
#include "core/Yol.hpp"
#include "backup/Durum.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string metin = FuzzOrtami::metin(veri, boy);
    FuzzOrtami::dosyaYaz(Yol::asama(), metin);
    FuzzOrtami::dosyaYaz(Yol::ertelendi(), metin);
    FuzzOrtami::dosyaYaz(Yol::kilitPid(), metin);
    Yedekleme::asamaOku();
    Yedekleme::ertelemeOku();
    Yedekleme::calisanPid();
    return 0;
}
