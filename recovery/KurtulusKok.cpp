// The kit at the disk's root: installer image, checksum, instructions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "recovery/Kurtulus.hpp"
#include "core/Sha256.hpp"
#include "temel/HataMetni.hpp"

namespace fs = std::filesystem;

namespace Kurtulus {
namespace {

// Streams a file into `hedef` (when given, flushed) and returns the SHA-256
// of the bytes read. The kit must be readable on whichever computer the disk
// is taken to, so the copy is made world-readable.
std::string akit(const std::string& kaynak, const std::optional<std::string>& hedef) {
    std::string h = Sha256::akit(kaynak, hedef);
    if (hedef) ::chmod(hedef->c_str(), 0644);
    return h;
}

void yenidenAdlandir(const std::string& eski, const std::string& yeni) {
    if (::rename(eski.c_str(), yeni.c_str()) != 0) throw std::runtime_error(std::string("rename: ") + std::strerror(errno));
}

std::string geciciAd(const std::string& birim, const std::string& ad) { return birim + "/." + ad + ".yaziliyor"; }

// A file on the disk gets its final name only once it is whole.
void yaziliyorYaz(const std::string& birim, const std::string& ad, const std::string& icerik) {
    atomikYaz(birim + "/" + ad, icerik, geciciAd(birim, ad));
}

std::optional<std::string> ilkKelime(const std::optional<std::string>& metin) {
    auto kelimeler = Metin::bol(Metin::kirp(metin.value_or("")), ' ', true);
    if (kelimeler.empty()) return std::nullopt;
    return kelimeler[0];
}

// The last `n` characters, never cutting one in half.
std::string sonKarakterler(const std::string& s, size_t n) {
    size_t i = s.size();
    for (size_t sayi = 0; i > 0 && sayi < n; ++sayi) {
        --i;
        while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    }
    return s.substr(i);
}

// A file we did not write is kept under another name, never overwritten.
HataMetni elleKonanAyir(const std::string& birim) {
    std::string yol = birim + "/" + okuAdi();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(yol, ec))) return std::nullopt;
    auto icerik = baytlariOku(yol);
    if (icerik) {
        for (const auto& satir : Metin::bol(*icerik, '\n', true)) {
            if (Metin::kirp(satir).empty()) continue;
            if (bizimMi(satir)) return std::nullopt;
            break;
        }
        if (Metin::kirp(*icerik).empty()) return std::nullopt;
    }
    std::string ad = fs::path(okuAdi()).stem().string() + " (eski " + Saat::yerelMetin("%Y-%m-%d") + ").txt";
    if (::rename(yol.c_str(), (birim + "/" + ad).c_str()) != 0) return okuAdi() + ": elle konmuş dosya ayrılamadı";
    Gunluk::yaz("Recovery: a hand-placed " + okuAdi() + " was kept as " + ad);
    return std::nullopt;
}

// The image on the disk is the one we last wrote for this version.
bool imajGuncel(const std::string& birim) {
    auto kayit = Metin::bol(Metin::kirp(oku(dmgKaydi()).value_or("")), ' ', true);
    auto digest = ilkKelime(oku(birim + "/" + dmgAdi + ".sha256"));
    if (kayit.size() != 2 || kayit[0] != surumYapi() || digest != kayit[1]) return false;
    // A damaged or replaced image must not pass as current either.
    try {
        return akit(birim + "/" + dmgAdi, std::nullopt) == kayit[1];
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string dmgKaydi() { return Yol::kurtulusDmg(); }

std::string surumYapi() { return UygulamaBilgisi::surum() + "(" + UygulamaBilgisi::yapi() + ")"; }

bool turkce() { return Yerel::dil() == "tr"; }

std::string okuAdi() { return turkce() ? "KURTULUS-OKU.txt" : "RESTORE-README.txt"; }

std::string isaret() {
    std::string s = UygulamaBilgisi::surum() + " (" + UygulamaBilgisi::yapi() + ")";
    return turkce() ? "Ondrak Brimvale " + s + " tarafından yazıldı" : "Written by Ondrak Brimvale " + s;
}

bool bizimMi(const std::string& ilkSatir) {
    return (ilkSatir.starts_with("Ondrak Brimvale ") && Metin::iceriyor(ilkSatir, "tarafından yazıldı")) ||
           ilkSatir.starts_with("Written by Ondrak Brimvale ");
}

HataMetni dmgYaz(const std::string& birim, const std::optional<std::string>& paket) {
    std::string is = Yol::isKlasoru(), t = is + "/" + dmgAdi;
    std::error_code ec;
    fs::create_directories(is, ec);
    fs::remove(t, ec);
    if (!paket) return dmgAdi + ": the program is not running from an application bundle";

    KomutSonucu s = komut("/usr/bin/hdiutil", {"create", "-quiet", "-format", "UDZO", "-volname", "Ondrak Brimvale",
                                         "-srcfolder", *paket, t},
                    std::string());
    if (s.kod != 0) return "hdiutil create: " + sonKarakterler(Metin::kirp(s.cikti), 200);
    struct Sil {
        std::string yol;
        ~Sil() {
            std::error_code e;
            fs::remove(yol, e);
        }
    } isBitince{t};

    std::string h;
    try {
        h = akit(t, geciciAd(birim, dmgAdi));
        yenidenAdlandir(geciciAd(birim, dmgAdi), birim + "/" + dmgAdi);
        yaziliyorYaz(birim, dmgAdi + ".sha256", h + "  " + dmgAdi + "\n");
    } catch (const std::exception& e) {
        fs::remove(geciciAd(birim, dmgAdi), ec);
        fs::remove(geciciAd(birim, dmgAdi + ".sha256"), ec);
        return dmgAdi + ": " + e.what();
    }
    yazDene(dmgKaydi(), surumYapi() + " " + h);
    Gunluk::yaz("Recovery: " + dmgAdi + " written (" + UygulamaBilgisi::surum() + ")");
    return std::nullopt;
}

HataMetni kokuYaz(const Ayarlar& ayarlar, const std::string& birim, const std::string& sonKopya,
                                   const std::optional<std::string>& imajBirimAdi, bool brewfile,
                                   const std::optional<std::string>& paket) {
    if (auto hata = elleKonanAyir(birim)) return hata;
    if (!imajGuncel(birim))
        if (auto hata = dmgYaz(birim, paket)) return hata;
    try {
        yaziliyorYaz(birim, okuAdi(), okuMetni(ayarlar, birim, sonKopya, imajBirimAdi, brewfile));
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove(geciciAd(birim, okuAdi()), ec);
        return okuAdi() + ": " + e.what();
    }
    return std::nullopt;
}

}  // namespace Kurtulus
