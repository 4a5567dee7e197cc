#include "backup/Siniflama.hpp"

#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>

#include "backup/GercekYol.hpp"
#include "core/RsyncSatiri.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "temel/Metin.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"

namespace {

constexpr size_t azamiAtlanan = 200;
// Fewer free inodes than this and a "no space" is believed.
constexpr unsigned long azBosDugum = 1000;

bool herhangi(std::string_view s, std::initializer_list<std::string_view> parcalar) {
    return std::any_of(parcalar.begin(), parcalar.end(), [&](auto p) { return Metin::iceriyor(s, p); });
}

struct HataSatiri {
    std::optional<std::string> ad;  // none for a closing summary
    HataTuru tur = HataTuru::bilinmeyen;
    bool yalnizOzet = false;        // a summary that only says some files were left out
};

HataTuru turBul(std::string_view s) {
    if (herhangi(s, {"No such file or directory", "vanished"})) return HataTuru::kaybolan;
    if (herhangi(s, {"Permission denied", "Operation not permitted"})) return HataTuru::izin;
    if (herhangi(s, {"Input/output error", "Device not configured", "No such device"})) return HataTuru::disk;
    if (herhangi(s, {"No space left"})) return HataTuru::yer;
    return HataTuru::bilinmeyen;
}

// rsync's closing words about a partial transfer.
bool kismiAktarim(std::string_view s) {
    return herhangi(s, {"unexpected end of file", "some files", "partial transfer"});
}

// rsync's closing line, which repeats only the status.
bool kapanisSatiri(std::string_view s) {
    return s.starts_with("rsync error: ") || s.starts_with("rsync warning: ");
}

constexpr std::string_view kopyalayiciOnu = "rsync(brimvale): error: ";
constexpr std::string_view kaynakTarafi = "source";
constexpr std::string_view yedekTarafi = "backup";

std::string normal(const std::string& yol) {
    std::string s = std::filesystem::path(yol).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// The image's mount point as written and as resolved: the copy tool prints
// the paths it works in resolved.
struct HedefKok {
    std::string yazilan, gercek;
    explicit HedefKok(const std::string& kok)
        : yazilan(kok.empty() ? "" : normal(kok)), gercek(kok.empty() ? "" : Yedekleme::gercekYol(kok)) {}
    bool icerir(const std::string& yol) const {
        if (yol.empty() || yol[0] != '/') return false;
        std::string p = normal(yol);
        return Yedekleme::altinda(p, yazilan) || Yedekleme::altinda(p, gercek);
    }
};

// What fails on the backup side is the disk's failure; only a full volume
// keeps its own kind.
HataTuru yedekteki(HataTuru tur) { return tur == HataTuru::yer ? tur : HataTuru::disk; }

// The large-file copier's line: side, the system's words, then the quoted
// name. Nothing when the line does not have that shape.
std::optional<HataSatiri> kopyalayiciOku(std::string_view s) {
    s.remove_prefix(kopyalayiciOnu.size());
    size_t ayrac = s.find(": ");
    if (ayrac == std::string_view::npos) return std::nullopt;
    std::string_view taraf = s.substr(0, ayrac);
    std::string_view kalan = s.substr(ayrac + 2);
    size_t tirnak = kalan.find(": \"");
    if ((taraf != kaynakTarafi && taraf != yedekTarafi) || tirnak == std::string_view::npos ||
        kalan.size() < tirnak + 4 || kalan.back() != '"')
        return std::nullopt;
    HataTuru tur = turBul(kalan.substr(0, tirnak));
    if (taraf == yedekTarafi) tur = yedekteki(tur);
    return HataSatiri{Rsync::kacisCoz(kalan.substr(tirnak + 3, kalan.size() - tirnak - 4)), tur, false};
}

// One line of the copy tool's error output, or of the large-file copier's.
// Nothing for lines that are no error.
std::optional<HataSatiri> satirOku(std::string_view s, const HedefKok& hedef) {
    if (s.starts_with(kopyalayiciOnu))
        if (auto h = kopyalayiciOku(s)) return h;
    bool araclar = s.starts_with("rsync: ") || s.starts_with("file has vanished: ");
    // A read error makes the tool skip --delete, so the copy would keep files
    // deleted on the computer: a real error, though it names no file.
    bool silmeAtlandi = Metin::iceriyor(s, "skipping file deletion");
    if (!araclar && !silmeAtlandi && !herhangi(s, {"error:", "vanished"})) return std::nullopt;
    if (silmeAtlandi || kapanisSatiri(s))
        return HataSatiri{std::nullopt, HataTuru::bilinmeyen, kismiAktarim(s)};
    size_t bas, son;
    std::string ad;
    size_t tirnak = s.find('"');
    size_t kapanis = s.rfind('"');
    if (araclar && tirnak != std::string_view::npos && kapanis > tirnak) {
        // rsync: [sender] send_files failed to open "PATH": Permission denied (13)
        bas = tirnak;
        son = kapanis + 1;
        std::string_view ic = s.substr(tirnak + 1, kapanis - tirnak - 1);
        if (size_t ok = ic.rfind("\" -> \""); ok != std::string_view::npos) ic.remove_prefix(ok + 6);
        ad = Rsync::kacisCoz(ic);
    } else {
        size_t e = s.rfind("error: ");
        bas = e == std::string_view::npos ? 0 : e + 7;
        son = std::min(s.find(": ", bas), s.size());
        ad = std::string(s.substr(bas, son - bas));
    }
    // Everything is read from the text around the name, so a file called
    // "some files" or "Permission denied.txt" changes nothing.
    std::string cevre = std::string(s.substr(0, bas)) + std::string(s.substr(son));
    if (kismiAktarim(cevre)) return HataSatiri{std::nullopt, HataTuru::bilinmeyen, true};
    HataTuru tur = turBul(cevre);
    if (hedef.icerir(ad)) tur = yedekteki(tur);
    return HataSatiri{ad, tur, false};
}

// A line cut in its middle to about `n` bytes: the cause may stand at either end.
std::string kisalt(std::string_view satir, size_t n) {
    if (satir.size() <= n) return std::string(satir);
    size_t yarim = n / 2;
    return std::string(satir.substr(0, yarim)) + " … " + std::string(satir.substr(satir.size() - yarim));
}

std::string say(size_t n) { return std::to_string(n); }

}  // namespace

namespace Siniflama {

std::map<HataTuru, std::vector<std::string>> sinifla(const std::string& hata, const std::string& hedefKok) {
    HedefKok hedef(hedefKok);
    std::map<HataTuru, std::vector<std::string>> gruplar;
    for (const auto& satir : Metin::bol(hata, '\n', true))
        if (auto h = satirOku(satir, hedef); h && h->ad) gruplar[h->tur].push_back(*h->ad);
    return gruplar;
}

std::string kopyalayiciSatiri(const std::string& ad, const std::string& neden, bool kaynakta) {
    // The system's words never hold ": " or a line break; they are kept out anyway.
    std::string sozler = Rsync::kacisYap(neden);
    for (size_t i; (i = sozler.find(": ")) != std::string::npos;) sozler.replace(i, 2, " - ");
    return std::string(kopyalayiciOnu) + std::string(kaynakta ? kaynakTarafi : yedekTarafi) + ": " + sozler +
           ": \"" + Rsync::kacisYap(ad) + "\"";
}

double yedekPay(double toplam) { return std::clamp(toplam * 0.02, 52428800.0, 1073741824.0); }

Hedef hedef() {
    Hedef h{Yol::mnt(), std::nullopt};
    struct statvfs st{};
    if (::statvfs(h.kok.c_str(), &st) != 0 || st.f_blocks == 0) return h;
    double blok = static_cast<double>(st.f_frsize);
    double toplam = blok * static_cast<double>(st.f_blocks);
    double pay = yedekPay(toplam);
    bool baytDar = blok * static_cast<double>(st.f_bavail) < pay;
    bool dugumDar = st.f_files > 0 && st.f_favail < azBosDugum;
    h.yerDar = baytDar || dugumDar;
    return h;
}

std::string teknikMetin(const std::string& hata, size_t n) {
    if (hata.size() <= n) return Metin::utf8Onar(hata);
    size_t kuyruk = hata.size() - n;
    std::string nedenler;
    int sayi = 0;
    for (size_t i = 0; i < kuyruk && sayi < 5;) {
        size_t son = std::min(hata.find('\n', i), hata.size());
        std::string_view satir(hata.data() + i, son - i);
        if (!satir.empty() && !kapanisSatiri(satir)) {
            nedenler += kisalt(satir, n) + "\n";
            ++sayi;
        }
        i = son + 1;
    }
    return Metin::utf8Onar(nedenler + "…" + hata.substr(kuyruk));
}

YedekSonucu yerYok(const std::string& teknik, const YerDurumu& yer) {
    // It says only what happened: copies deleted or not, bytes or files.
    std::string neden;
    if (yer.sigmaz)
        neden = Yerel::bicim("This backup needs %@, more than the whole backup disk can hold (%@).",
                             {bayt(yer.gereken), bayt(yer.toplam)});
    else if (yer.dosyaSiniri)
        neden = Yerel::metin("The backup disk still has free space, but no room for more files.");
    else if (yer.silinen > 0)
        neden = Yerel::metin("Brimvale deleted the oldest backups it could, but the new backup still does not fit. "
                             "Your existing backups are untouched.");
    else
        neden = Yerel::metin("The new backup does not fit in the free space of the backup disk.");
    std::string silme = yer.silinen > 0 ? Yerel::bicim("Backups deleted to make room: %d.", {say(yer.silinen)})
                                        : Yerel::metin("No backup was deleted; your existing backups are untouched.");
    std::string oneri =
        yer.sigmaz        ? Yerel::metin("Use a larger backup disk, or back up fewer folders.")
        : yer.dosyaSiniri ? Yerel::metin("Use a larger backup disk, or leave out folders that hold very many small files.")
                          : Yerel::metin("Delete other files from the disk (for example ISO files) or use a larger disk.");
    std::string baslik = yer.dosyaSiniri && !yer.sigmaz ? Yerel::metin("The backup disk cannot hold more files")
                                                        : Yerel::metin("Not enough space on the backup disk");
    return {"dikkat", baslik, neden + " " + silme, oneri, {}, teknik};
}

YedekSonucu esitlemeSonucu(int kod, const std::string& hata, const std::string& sure, double aktarilan,
                           [[maybe_unused]] int64_t dosya, const Hedef& hedef,
                           const YerDurumu& yer) {
    auto gruplar = sinifla(hata, hedef.kok);
    // "No space" from a volume with room to spare, or one that no longer
    // answers, is a disk that stopped working.
    if (gruplar.count(HataTuru::yer) && hedef.yerDar != true) {
        auto& disk = gruplar[HataTuru::disk];
        for (auto& ad : gruplar[HataTuru::yer]) disk.push_back(std::move(ad));
        gruplar.erase(HataTuru::yer);
    }
    std::vector<std::string> atlanan;
    for (const auto& [tur, adlar] : gruplar)
        for (const auto& ad : adlar)
            if (atlanan.size() < azamiAtlanan) atlanan.push_back(ad);
    auto adet = [&](HataTuru t) { return gruplar.count(t) ? gruplar[t].size() : size_t{0}; };

    std::string ozet = Yerel::bicim("%@ copied in %@.", {bayt(aktarilan), sure});
    // The same rule as the pass's: a line that names no file (a skipped
    // deletion) leaves the pass incomplete too.
    bool yalnizKaybolan = Yedekleme::kaybolanlar(hata, hedef.kok).has_value();
    if (kod == 0 || ((kod == 23 || kod == 24) && yalnizKaybolan)) {
        std::string baslik = Yerel::metin("Backup complete");
        if (size_t n = adet(HataTuru::kaybolan); n > 0)
            return {"bilgi", baslik,
                    ozet + " " +
                        Yerel::bicim("%d files were deleted on the Mac while the backup was running, so they were "
                                     "skipped. That is normal; nothing is missing.",
                                     {say(n)}),
                    std::nullopt, atlanan, hata};
        return {"tamam", baslik, ozet + " " + Yerel::metin("Everything is in the backup."), std::nullopt, atlanan,
                hata};
    }
    if (adet(HataTuru::disk) > 0)
        return {"sorun", Yerel::metin("Backup stopped: the backup disk stopped responding"),
                Yerel::metin("Files that were already copied are safe in the backup."),
                Yerel::metin("Check the cable and connect the disk directly to the Mac, not through a hub. The next "
                             "backup continues where it stopped."),
                atlanan, hata};
    if (size_t n = adet(HataTuru::izin); n > 0)
        return {"dikkat", Yerel::bicim("Backup incomplete: %d files could not be read", {say(n)}),
                Yerel::metin("macOS did not allow Brimvale to read them. Everything else is in the backup."),
                Yerel::metin("Turn on Full Disk Access for Ondrak Brimvale in System Settings, then back up again. The "
                             "next backup continues where it stopped."),
                atlanan, hata};
    if (adet(HataTuru::yer) > 0) return yerYok(hata, yer);
    return {"dikkat", Yerel::metin("Backup incomplete"),
            Yerel::bicim("%d files could not be copied. Everything else is in the backup.",
                         {say(std::max<size_t>(atlanan.size(), 1))}),
            Yerel::metin("The next backup tries them again. If it happens again, the technical details below help "
                         "find the cause."),
            atlanan, hata};
}

std::string kaydet(const YedekSonucu& sonuc, int kod, const std::string& hata, bool tamamlandi) {
    yazDene(Yol::sonHatalar(), hata);
    sonuc.yaz();
    auto kaybolan = sinifla(hata)[HataTuru::kaybolan];
    for (size_t i = 0; i < kaybolan.size() && i < 50; ++i)
        Gunluk::yaz(Yerel::bicim("Skipped (deleted on the Mac during the backup): %@", {Metin::utf8Onar(kaybolan[i])}));
    if (!tamamlandi) {
        Gunluk::yaz(sonuc.baslik);
        std::string kuyruk = teknikMetin(hata, 400);
        std::replace(kuyruk.begin(), kuyruk.end(), '\n', ' ');
        Gunluk::yaz("rsync (" + std::to_string(kod) + "): " + kuyruk);
    }
    return sonuc.bildirim();
}

}  // namespace Siniflama

namespace Yedekleme {

std::optional<std::vector<std::string>> kaybolanlar(const std::string& hata, const std::string& hedefKok) {
    HedefKok hedef(hedefKok);
    std::vector<std::string> adlar;
    for (const auto& satir : Metin::bol(hata, '\n', true)) {
        auto h = satirOku(satir, hedef);
        if (!h || (!h->ad && h->yalnizOzet)) continue;
        if (!h->ad || h->tur != HataTuru::kaybolan) return std::nullopt;
        adlar.push_back(*h->ad);
    }
    if (adlar.empty()) return std::nullopt;
    return adlar;
}

}  // namespace Yedekleme
