// The copy tool's error output (and the large-file copier's lines in it) as
// the copy pass and the result read it. The pass goes on past a source only
// when every error was a vanished file; the result must then say the backup
// is complete, with exactly those files as skipped.
#include <cstdlib>

#include "backup/Siniflama.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string hata = FuzzOrtami::metin(veri, boy);
    auto gruplar = Siniflama::sinifla(hata);
    auto kaybolan = Yedekleme::kaybolanlar(hata);
    auto sonuc = Siniflama::esitlemeSonucu(24, hata, "1m", 1000, 3);
    if (kaybolan) {
        if (gruplar.size() != 1 || gruplar[HataTuru::kaybolan] != *kaybolan) std::abort();
        if (sonuc.tur != "bilgi") std::abort();
    }
    Siniflama::esitlemeSonucu(23, hata, "1m", 0, 0);
    Siniflama::esitlemeSonucu(0, hata, "", 0, 0);
    return 0;
}
