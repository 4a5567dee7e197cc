// The copy tool's error output (and the large-file copier's lines in it) as
// the copy pass and the result read it.
// - The pass goes on past a source only when every error was a vanished
//   file; the result must then say the backup is complete, with exactly
//   those files as skipped.
// - The large-file copier's line for a file named like the input's first
//   line is classified by its error, whatever the name holds.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "backup/Siniflama.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {

void kopyalayiciSatiri(const std::string& ad) {
    if (ad.find("..") != std::string::npos) return;  // a source path stays in the source
    struct Hata {
        int no;
        HataTuru tur;
    };
    for (const Hata& h : {Hata{EACCES, HataTuru::izin}, Hata{ENOENT, HataTuru::kaybolan}, Hata{EIO, HataTuru::disk}}) {
        // As the copy pass writes a large file's failure into the error text.
        std::string satir = Siniflama::kopyalayiciSatiri(ad, std::strerror(h.no), true) + "\n";
        auto gruplar = Siniflama::sinifla(satir);
        if (gruplar.size() != 1 || !gruplar.count(h.tur)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string hata = FuzzOrtami::metin(veri, boy);
    auto gruplar = Siniflama::sinifla(hata);
    auto kaybolan = Yedekleme::kaybolanlar(hata);
    const Siniflama::Hedef hedef{Yol::mnt(), false};
    auto sonuc = Siniflama::esitlemeSonucu(24, hata, "1m", 1000, 3, hedef);
    if (kaybolan) {
        if (gruplar.size() != 1 || gruplar[HataTuru::kaybolan] != *kaybolan) std::abort();
        if (sonuc.tur != "bilgi") std::abort();
    }
    Siniflama::esitlemeSonucu(23, hata, "1m", 0, 0, hedef);
    Siniflama::esitlemeSonucu(0, hata, "", 0, 0, {Yol::mnt(), true});
    kopyalayiciSatiri(hata.substr(0, hata.find_first_of(std::string("\n\r\0", 3))));
    return 0;
}
