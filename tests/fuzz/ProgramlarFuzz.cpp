// An application's Info.plist, as the program inventory after every backup
// and --programlar read it: one odd application must not stop either.
#include "recovery/Programlar.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string kok = FuzzOrtami::kok() + "/Applications";
    FuzzOrtami::dosyaYaz(kok + "/Fuzz.app/Contents/Info.plist", FuzzOrtami::metin(veri, boy));
    auto liste = Programlar::bul(kok);
    Programlar::metin(liste);
    Programlar::brewfile(liste);
    return 0;
}
