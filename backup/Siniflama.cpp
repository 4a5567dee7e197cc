#include "backup/Siniflama.hpp"

#include <algorithm>

#include "backup/SatirCoz.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Metin.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"

namespace {

constexpr size_t azamiAtlanan = 200;

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

// One line of the copy tool's error output, or of the large-file copier's
// "<tool>: error: <name>: <text>" line. Nothing for lines that are no error.
std::optional<HataSatiri> satirOku(std::string_view s) {
    bool araclar = Metin::basliyor(s, "rsync: ") || Metin::basliyor(s, "file has vanished: ");
    // A read error makes the tool skip --delete, so the copy would keep files
    // deleted on the computer: a real error, though it names no file.
    bool silmeAtlandi = Metin::iceriyor(s, "skipping file deletion");
    if (!araclar && !silmeAtlandi && !herhangi(s, {"error:", "vanished"})) return std::nullopt;
    if (silmeAtlandi || Metin::basliyor(s, "rsync error: ") || Metin::basliyor(s, "rsync warning: "))
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
        ad = Yedekleme::kacisCoz(ic);
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
    return HataSatiri{ad, turBul(cevre), false};
}

std::string say(size_t n) { return std::to_string(n); }

}  // namespace

namespace Siniflama {

std::map<HataTuru, std::vector<std::string>> sinifla(const std::string& hata) {
    std::map<HataTuru, std::vector<std::string>> gruplar;
    for (const auto& satir : Metin::bol(hata, '\n', true))
        if (auto h = satirOku(satir); h && h->ad) gruplar[h->tur].push_back(*h->ad);
    return gruplar;
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
                           [[maybe_unused]] int64_t dosya, const YerDurumu& yer) {
    auto gruplar = sinifla(hata);
    std::vector<std::string> atlanan;
    for (const auto& [tur, adlar] : gruplar)
        for (const auto& ad : adlar)
            if (atlanan.size() < azamiAtlanan) atlanan.push_back(ad);
    auto adet = [&](HataTuru t) { return gruplar.count(t) ? gruplar[t].size() : size_t{0}; };

    std::string ozet = Yerel::bicim("%@ copied in %@.", {bayt(aktarilan), sure});
    bool yalnizKaybolan = gruplar.size() == 1 && adet(HataTuru::kaybolan) > 0;
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
    try {
        atomikYaz(Yol::sonHatalar(), hata);
    } catch (const std::exception&) {
    }
    sonuc.yaz();
    auto kaybolan = sinifla(hata)[HataTuru::kaybolan];
    for (size_t i = 0; i < kaybolan.size() && i < 50; ++i)
        Gunluk::yaz(Yerel::bicim("Skipped (deleted on the Mac during the backup): %@", {Metin::utf8Onar(kaybolan[i])}));
    if (!tamamlandi) {
        Gunluk::yaz(sonuc.baslik);
        std::string kuyruk = hata.size() > 400 ? hata.substr(hata.size() - 400) : hata;
        std::replace(kuyruk.begin(), kuyruk.end(), '\n', ' ');
        Gunluk::yaz("rsync (" + std::to_string(kod) + "): " + Metin::utf8Onar(kuyruk));
    }
    return sonuc.bildirim();
}

}  // namespace Siniflama

namespace Yedekleme {

std::optional<std::vector<std::string>> kaybolanlar(const std::string& hata) {
    std::vector<std::string> adlar;
    for (const auto& satir : Metin::bol(hata, '\n', true)) {
        auto h = satirOku(satir);
        if (!h || (!h->ad && h->yalnizOzet)) continue;
        if (!h->ad || h->tur != HataTuru::kaybolan) return std::nullopt;
        adlar.push_back(*h->ad);
    }
    if (adlar.empty()) return std::nullopt;
    return adlar;
}

}  // namespace Yedekleme
