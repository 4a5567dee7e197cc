// The encrypted image: creation, attach at the private mount point, detach,
// stale attachments and compaction. The password travels on standard input.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
#include "temel/HataMetni.hpp"

namespace fs = std::filesystem;

namespace {

const char* kHdiutil = "/usr/bin/hdiutil";
const char* kSecurity = "/usr/bin/security";
const char* kDu = "/usr/bin/du";

// Bytes the image takes on the disk; 0 when unknown.
double diskteBoyut(const std::string& imaj) {
    KomutSonucu s = komut(kDu, {"-sk", imaj});
    return Metin::ondalik(s.cikti.substr(0, s.cikti.find('\t'))).value_or(0) * 1024;
}

// A path as the mount table has it, when it can be resolved.
std::string gercekYol(const std::string& yol) {
    std::error_code ec;
    auto g = fs::weakly_canonical(yol, ec);
    return ec ? yol : g.string();
}


}  // namespace

namespace Disk {

std::string imajBoyutu(double kapasite) {
    double n = std::floor(kapasite * 0.95 / 1e9);
    if (n < 1) n = 1;
    return std::to_string(static_cast<long long>(n)) + "g";
}

Baglanti imajDurumu() {
    auto d = Platform::baglamaDurumu(Yol::mnt());
    if (!d) return Baglanti::yok;
    std::error_code ec;
    if (d->bagliYer != fs::canonical(Yol::mnt(), ec).string() || ec) return Baglanti::yok;
    return d->saltOkunur ? Baglanti::okuma : Baglanti::yazma;
}

std::optional<std::string> parola(const Ayarlar& ayarlar) {
    if (const char* p = std::getenv("BRIMVALE_PAROLA"); p && *p) return std::string(p);
    KomutSonucu s = komut(kSecurity, {"find-generic-password", "-s", ayarlar.anahtar, "-a", Platform::kullaniciAdi(), "-w"});
    // 44 is "not found"; anything else (a damaged store) is worth a log line.
    if (s.kod != 0 && s.kod != 44) Disk::anahtarlikUyarisi(s.cikti, "");
    if (s.kod != 0) return std::nullopt;
    std::string p = s.cikti;
    while (!p.empty() && (p.back() == '\n' || p.back() == '\r')) p.pop_back();
    while (!p.empty() && (p.front() == '\n' || p.front() == '\r')) p.erase(0, 1);
    return p;
}

NoktadakiImaj noktadakiImaj() {
    KomutSonucu s = komut(kHdiutil, {"info", "-plist"});
    auto liste = s.kod == 0 ? Plist::coz(s.cikti) : std::nullopt;
    if (!liste || !liste->is_object()) return {};
    std::string nokta = gercekYol(Yol::mnt());
    for (const auto& kayit : Plist::dizi(*liste, "images"))
        for (const auto& v : Plist::dizi(kayit, "system-entities"))
            if (auto yer = Plist::metin(v, "mount-point"); yer && gercekYol(*yer) == nokta)
                return {true, Plist::metin(kayit, "image-path")};
    return {true, std::nullopt};
}

HataMetni imajiBagla(const std::string& imaj, bool salt, const Ayarlar& ayarlar) {
    Baglanti durum = imajDurumu();
    // Something answers at the mount point, but the image tool does not list
    // this image in use there: left by a disk pulled and plugged in again, or
    // another image. It goes before this one is attached.
    if (durum != Baglanti::yok) {
        auto n = noktadakiImaj();
        if (n.okundu && (!n.yol || gercekYol(*n.yol) != gercekYol(imaj))) {
            Gunluk::yaz("stale attachment detached: " + Yol::mnt());
            if (komut(kHdiutil, {"detach", "-quiet", Yol::mnt()}).kod != 0)
                komut(kHdiutil, {"detach", "-quiet", "-force", Yol::mnt()});
            durum = imajDurumu();
            if (durum != Baglanti::yok) return "the mount point " + Yol::mnt() + " is in use";
        }
    }
    if (durum == Baglanti::yazma || (durum == Baglanti::okuma && salt)) return std::nullopt;
    if (durum == Baglanti::okuma)
        if (auto hata = imajiAyir()) return hata;
    auto p = parola(ayarlar);
    if (!p) return "parola yok";
    artiklariAyir(imaj);
    std::error_code ec;
    fs::create_directories(Yol::mnt(), ec);
    std::vector<std::string> args = {"attach", "-stdinpass", "-nobrowse", "-noautoopen", "-owners", "on",
                                     "-mountpoint", Yol::mnt()};
    if (salt) args.push_back("-readonly");
    args.push_back(imaj);
    KomutSonucu s = komut(kHdiutil, args, *p);
    if (s.kod == 0) return std::nullopt;
    std::vector<std::string> satirlar;
    for (auto& satir : Metin::bol(s.cikti, '\n', true))
        if (!Metin::iceriyor(satir, "deprecated")) satirlar.push_back(satir);
    std::string metin = Metin::birlestir(satirlar, " ");
    if (Metin::kirp(metin).empty()) return "attach failed (" + std::to_string(s.kod) + ")";
    return metin;
}

HataMetni imajiAyir() {
    if (imajDurumu() == Baglanti::yok) return std::nullopt;
    ::sync();
    KomutSonucu s;
    for (int deneme = 1; deneme <= 5; ++deneme) {
        s = komut(kHdiutil, {"detach", "-quiet", Yol::mnt()});
        if (s.kod == 0) return std::nullopt;
        if (deneme < 5) Saat::bekle(5);
    }
    std::string cikti = Metin::kirp(s.cikti);
    Gunluk::yaz("UYARI: imaj ayrılamadı: " + cikti);
    return cikti.empty() ? "meşgul" : cikti;
}

void artiklariAyir(const std::string& imaj) {
    KomutSonucu s = komut(kHdiutil, {"info", "-plist"});
    auto liste = s.kod == 0 ? Plist::coz(s.cikti) : std::nullopt;
    if (!liste) return;
    for (const auto& kayit : Plist::dizi(*liste, "images")) {
        if (Plist::metin(kayit, "image-path") != imaj) continue;
        auto varliklar = Plist::dizi(kayit, "system-entities");
        bool kullanimda = false;
        std::vector<std::string> aygitlar;
        for (const auto& v : varliklar) {
            if (v.is_object() && v.contains("mount-point")) kullanimda = true;
            if (auto d = Plist::metin(v, "dev-entry"); d && !d->empty()) aygitlar.push_back(*d);
        }
        if (kullanimda || aygitlar.empty()) continue;
        std::stable_sort(aygitlar.begin(), aygitlar.end(),
                         [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        Gunluk::yaz("stale attachment detached: " + aygitlar.front());
        if (komut(kHdiutil, {"detach", "-quiet", aygitlar.front()}).kod != 0)
            komut(kHdiutil, {"detach", "-quiet", "-force", aygitlar.front()});
    }
}

Sikistirma sikistirOlc(const std::string& imaj, const Ayarlar& ayarlar) {
    auto p = parola(ayarlar);
    if (!p) {
        Gunluk::yaz("WARNING: compact: no password");
        return {false, 0};
    }
    double once = diskteBoyut(imaj);
    KomutSonucu s = komut(kHdiutil, {"compact", "-stdinpass", imaj}, *p);
    double kazanc = std::max(0.0, once - diskteBoyut(imaj));
    if (s.kod == 0) {
        Gunluk::yaz(Yerel::bicim("Image compacted: %@ freed on the disk", {bayt(kazanc)}));
        return {true, kazanc};
    }
    std::string son = s.cikti.size() > 300 ? s.cikti.substr(s.cikti.size() - 300) : s.cikti;
    std::replace(son.begin(), son.end(), '\n', ' ');
    Gunluk::yaz("WARNING: compact failed: " + son);
    return {false, kazanc};
}

bool sikistir(const std::string& imaj, const Ayarlar& ayarlar) { return sikistirOlc(imaj, ayarlar).tamam; }

void anahtarlikUyarisi(const std::string& cikti, const std::string& parola) {
    for (const auto& satir : Metin::bol(cikti, '\n', true)) {
        std::string s = Metin::kirp(satir);
        if (!s.empty() && (parola.empty() || !Metin::iceriyor(s, parola))) Gunluk::yaz("WARNING: keychain: " + s);
    }
}

}  // namespace Disk
