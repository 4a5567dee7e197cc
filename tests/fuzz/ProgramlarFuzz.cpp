// An application's Info.plist, as the program inventory after every backup
// and --programlar read it: one odd application must not stop either.
#include "recovery/Programlar.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    dosyaYaz(kok() + "/Applications/Fuzz.app/Contents/Info.plist", girdi);
    auto liste = Programlar::bul(kok() + "/Applications");
    Programlar::metin(liste);
    Programlar::brewfile(liste);
}
