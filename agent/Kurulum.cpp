// Setting up: the disks offered for backups, the password in the keychain,
// and the encrypted image on the chosen disk.
#include "agent/Kurulum.hpp"

#include <algorithm>
#include <filesystem>

#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
#include "temel/Metin.hpp"
#include "temel/HataMetni.hpp"

namespace fs = std::filesystem;

namespace Kurulum {
namespace {

const char* kHdiutil = "/usr/bin/hdiutil";
const char* kSecurity = "/usr/bin/security";
const char* kEtiket = "Ondrak Brimvale";

}  // namespace

std::vector<Birim> disBirimler() {
    std::vector<Birim> liste;
    std::string durum = Yol::durum();
    for (const auto& b : Platform::bagliBirimler()) {
        if (b.gizli || !b.aygit || b.aygit->uuid.empty() || b.kokDosyaSistemi || b.saltOkunur) continue;
        const auto& a = *b.aygit;
        if (a.dahili && !a.cikarilabilir && !a.atilabilir) continue;
        if (b.baglama.yol.starts_with(durum)) continue;
        std::string ad = a.etiket;
        if (ad.empty()) {
            auto p = b.baglama.yol.rfind('/');
            ad = b.baglama.yol.substr(p + 1);
        }
        liste.push_back({a.uuid, ad, b.baglama.yol, b.kapasite, b.bos});
    }
    std::stable_sort(liste.begin(), liste.end(), [](const Birim& x, const Birim& y) { return x.ad < y.ad; });
    return liste;
}

std::string tirnakla(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

HataMetni parolaSorunu(const std::string& parola) {
    if (parola.find_first_of(std::string("\r\n\0", 3)) == std::string::npos) return std::nullopt;
    return Yerel::metin("The password cannot contain line breaks or NUL characters.");
}

bool parolaKaydet(const std::string& parola, const Ayarlar& ayarlar) {
    if (auto sorun = parolaSorunu(parola)) {
        Gunluk::yaz("ERROR: password not saved: " + *sorun);
        return false;
    }
    std::string satir = "add-generic-password -U -s " + tirnakla(ayarlar.anahtar) + " -a " +
                        tirnakla(Platform::kullaniciAdi()) + " -l " + tirnakla(kEtiket) + " -w " + tirnakla(parola) +
                        "\n";
    KomutSonucu s = komut(kSecurity, {"-i"}, satir);
    Disk::anahtarlikUyarisi(s.cikti, parola);
    if (s.kod != 0) return false;
    return Disk::parola(ayarlar) == parola;
}

HataMetni imajOlustur(const Birim& birim, const Ayarlar& ayarlar, const std::string& parola) {
    std::string imaj = birim.yol + "/" + ayarlar.imajAdi;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(imaj, ec))) return std::nullopt;
    KomutSonucu s = komut(kHdiutil,
                    {"create", "-quiet", "-stdinpass", "-encryption", "AES-256", "-type", "SPARSEBUNDLE", "-fs", "APFS",
                     "-volname", "Brimvale", "-size", Disk::imajBoyutu(birim.kapasite), "-imagekey",
                     "sparse-band-size=262144", imaj},
                    parola);
    if (s.kod != 0) return Metin::kirp(s.cikti);
    return std::nullopt;
}

}  // namespace Kurulum
