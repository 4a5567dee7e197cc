#pragma once
// The backup disk and the encrypted image on it.
// In Birimler.cpp (volumes, connection, eject) and Imaj.cpp (the image).
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "temel/HataMetni.hpp"

// A candidate or chosen volume.
struct Birim {
    std::string id, ad, yol;
    double kapasite = 0, bos = 0;
};

namespace Disk {

// Where the configured disk is. `metin` is the mount path for `bagli` and the
// disk's device identifier for `cikarilmis`.
struct DiskBaglantisi {
    enum Tur { bagli, cikarilmis, kabloVar, yok } tur = yok;
    std::string metin;
    // "bagli(\"/media/x\")", "kabloVar", ...
    std::string yazi() const;
    bool operator==(const DiskBaglantisi&) const = default;
};

struct BaglantiRaporu {
    DiskBaglantisi durum;
    std::optional<double> hiz;  // USB link speed, bits per second
    std::optional<std::string> seri;
};

struct UsbBilgisi {
    std::optional<std::string> seri;
    std::optional<std::string> aygit;
    std::optional<double> hiz;
};

std::optional<std::string> birim(const std::optional<std::string>& uuid);
nlohmann::json bilgi(const std::string& yol);  // diskutil info -plist, {} when unavailable
std::optional<std::string> birimUUID(const std::string& yol);
BaglantiRaporu baglanti(const Ayarlar& ayarlar);
std::optional<UsbBilgisi> usbBsd(const std::string& bsd);
std::optional<UsbBilgisi> usbSeri(const std::string& seri);
// "5 Gb/s", "480 Mb/s"
std::string hizMetni(double hiz);
// The slow-connection warning for a known speed of USB 2 or less.
std::optional<std::string> yavasUyarisi(const std::optional<double>& hiz);
bool yenidenBagla(const std::string& aygit);
bool cikar(const std::string& yol);  // 3 tries, 5 s apart
std::optional<std::string> takilis(const std::string& yol);
double bosYer(const std::string& yol);
double toplamYer(const std::string& yol);
double doluYer(const std::string& yol);
// How many more files (inodes) can be made on the file system at `yol`;
// nothing when it has no fixed number of them or cannot be read.
std::optional<double> bosDosyaYeri(const std::string& yol);

// The image at the mount point: not attached, read-only, read-write.
enum class Baglanti { yok, okuma, yazma };
Baglanti imajDurumu();
std::optional<std::string> parola(const Ayarlar& ayarlar);  // BRIMVALE_PAROLA first (tests)
// What the keychain tool said (a damaged store kept aside, say) goes to the
// log, never a line that holds the password.
void anahtarlikUyarisi(const std::string& cikti, const std::string& parola);
[[nodiscard]] HataMetni imajiBagla(const std::string& imaj, bool salt, const Ayarlar& ayarlar);
[[nodiscard]] HataMetni imajiAyir();  // 5 tries, 5 s apart
// Detaches the image when it goes out of scope, on whichever path its owner
// leaves (a failure is logged by imajiAyir), unless it was detached through
// `ayir` or handed on with `birak` to code that detaches it itself.
class ImajAyirici {
public:
    ImajAyirici() = default;
    ImajAyirici(const ImajAyirici&) = delete;
    ImajAyirici& operator=(const ImajAyirici&) = delete;
    ~ImajAyirici() {
        if (!bitti_) (void)imajiAyir();
    }
    [[nodiscard]] HataMetni ayir() {
        bitti_ = true;
        return imajiAyir();
    }
    void birak() { bitti_ = true; }

private:
    bool bitti_ = false;
};
// The image the image tool lists as attached and in use at the mount point.
// `okundu` is false when the tool's listing could not be read.
struct NoktadakiImaj {
    bool okundu = false;
    std::optional<std::string> yol;
};
NoktadakiImaj noktadakiImaj();
void artiklariAyir(const std::string& imaj);
struct Sikistirma {
    bool tamam;
    double kazanc;
};
Sikistirma sikistirOlc(const std::string& imaj, const Ayarlar& ayarlar);
bool sikistir(const std::string& imaj, const Ayarlar& ayarlar);

// The "-size" argument of a new image on a disk of this capacity: 95 % in
// whole gigabytes, at least 1 ("237g").
std::string imajBoyutu(double kapasite);

}  // namespace Disk
