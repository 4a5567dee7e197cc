// The copy tool's error output (and the large-file copier's lines in it) as
// the copy pass and the result read it.
// - The pass goes on past a source only when every error was a vanished
//   file; the result must then say the backup is complete, with exactly
//   those files as skipped.
// - The large-file copier's line for a file named like the input's first
//   line is classified by its error, whatever the name holds (a source path
//   with ".." never reaches it).
#include <cerrno>
#include <cstring>

#include "backup/Siniflama.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    auto gruplar = Siniflama::sinifla(girdi);
    auto kaybolan = Yedekleme::kaybolanlar(girdi);
    auto sonuc = Siniflama::esitlemeSonucu(24, girdi, "1m", 1000, 3, {Yol::mnt(), false});
    if (kaybolan) gerek(gruplar.size() == 1 && gruplar[HataTuru::kaybolan] == *kaybolan && sonuc.tur == "bilgi");
    Siniflama::esitlemeSonucu(23, girdi, "1m", 0, 0, {Yol::mnt(), false});
    Siniflama::esitlemeSonucu(0, girdi, "", 0, 0, {Yol::mnt(), true});

    std::string ad = girdi.substr(0, girdi.find_first_of(std::string("\n\r\0", 3)));
    if (ad.find("..") != std::string::npos) return;
    for (auto [no, tur] : {std::pair{EACCES, HataTuru::izin}, {ENOENT, HataTuru::kaybolan}, {EIO, HataTuru::disk}}) {
        auto satir = Siniflama::sinifla(Siniflama::kopyalayiciSatiri(ad, std::strerror(no), true) + "\n");
        gerek(satir.size() == 1 && satir.count(tur));
    }
}
