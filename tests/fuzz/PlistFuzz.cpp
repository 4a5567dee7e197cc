// Property lists as the tools answer with them and as the stand-ins write
// them: XML or binary, any content. Reading never aborts or throws, and
// what was read can be written out again.
#include "core/Plist.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    auto p = Plist::coz(girdi);
    if (!p) return;
    for (const char* anahtar : {"VolumeUUID", "CFBundleIdentifier", "images", "system-entities", "UsbLinkSpeed"}) {
        Plist::metin(*p, anahtar);
        Plist::sayi(*p, anahtar);
        Plist::mantik(*p, anahtar);
        Plist::sozluk(*p, anahtar);
        for (const auto& e : Plist::dizi(*p, anahtar)) Plist::metin(e, "dev-entry");
    }
    Plist::coz(Plist::xml(*p));
}
