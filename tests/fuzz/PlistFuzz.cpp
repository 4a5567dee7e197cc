// Property lists as the tools answer with them and as the stand-ins write
// them: XML or binary, any content. Reading never aborts or throws, and
// what was read can be written out again.
#include "core/Plist.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    auto p = Plist::coz(FuzzOrtami::metin(veri, boy));
    if (!p) return 0;
    for (const char* anahtar : {"VolumeUUID", "CFBundleIdentifier", "images", "system-entities", "UsbLinkSpeed"}) {
        Plist::metin(*p, anahtar);
        Plist::sayi(*p, anahtar);
        Plist::mantik(*p, anahtar);
        for (const auto& e : Plist::dizi(*p, anahtar)) Plist::metin(e, "dev-entry");
        Plist::sozluk(*p, anahtar);
    }
    Plist::coz(Plist::xml(*p));
    return 0;
}
