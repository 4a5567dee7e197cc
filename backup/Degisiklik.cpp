#include "backup/Degisiklik.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "backup/Durdurma.hpp"
#include "backup/GercekYol.hpp"
#include "core/RsyncSatiri.hpp"
#include "backup/Siniflama.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {
namespace {

struct Durum {
    bool var = false;
    double boy = 0;
    double zaman = 0;
};

Durum durumOku(const std::optional<std::string>& yol) {
    struct stat st{};
    if (!yol || ::lstat(yol->c_str(), &st) != 0) return {};
    return {true, static_cast<double>(st.st_size), static_cast<double>(st.st_mtim.tv_sec)};
}

// The folder a deleted file is counted under: at most the first four
// components of its folder.
std::string sayilanKlasor(const std::string& yol) {
    auto parcalar = Metin::bol(yol, '/', true);
    if (!parcalar.empty()) parcalar.pop_back();
    if (parcalar.size() > 4) parcalar.resize(4);
    return Metin::birlestir(parcalar, "/");
}

bool kaynakVar(const std::string& yol) {
    std::error_code ec;
    return fs::exists(yol, ec);
}

// The previous copy of a source when it has one, else the empty folder.
std::string karsilastirilan(const std::optional<std::string>& son, const std::string& ad) {
    std::error_code ec;
    if (son) {
        std::string onceki = Yol::yedekler() + "/" + *son + "/" + ad;
        if (fs::is_directory(onceki, ec)) return onceki + "/";
    }
    return Yol::isKlasoru() + "/bos/";
}

// A source that holds the backup disk or the image on it, or lies inside the
// image or its mount point, would copy the backup into itself. The mount
// point inside a source is left out of the copy instead (mntHaric).
bool yedegiIceriyor(const std::string& kaynak, const std::optional<std::string>& birim, const std::string& imajAdi) {
    std::string k = gercekYol(kaynak);
    if (altinda(k, gercekYol(Yol::mnt()))) return true;
    if (!birim) return false;
    std::string imaj = gercekYol(*birim + "/" + imajAdi);
    return altinda(gercekYol(*birim), k) || altinda(imaj, k) || altinda(k, imaj);
}

}  // namespace

std::string ozetYolu() { return Yol::isKlasoru() + "/ozet.json"; }

bool kaynakAdiGecerli(const std::string& ad) {
    return !ad.empty() && ad != "." && ad != ".." && ad.find('/') == std::string::npos;
}

Ozet ozetCikar(const Ayarlar& ayarlar, const std::optional<std::string>& son) {
    Ozet ozet;
    std::map<std::string, EnCok> klasorler;
    auto kaynaklar = ayarlar.kaynakAdlari();
    for (size_t i = 0; i < kaynaklar.size(); ++i) {
        const auto& [ad, yol] = kaynaklar[i];
        std::string onceki = son ? Yol::yedekler() + "/" + *son + "/" + ad : std::string();
        std::string devam = Yol::devam() + "/" + ad;
        std::error_code ec;
        bool devamVar = fs::is_directory(devam, ec);  // spares two lstat calls a file on a fresh run
        std::string metin =
            baytlariOku(Yol::isKlasoru() + "/prova-" + std::to_string(i) + ".txt").value_or(std::string());
        for (const auto& satir : Metin::bol(metin, '\n', true)) {
            auto s = Rsync::satirCoz(satir);
            if (!s) continue;
            if (s->kod == "del") {
                if (s->yol.ends_with("/")) {
                    ozet.silinenKlasor.push_back(ad + "/" + s->yol.substr(0, s->yol.size() - 1));
                    continue;
                }
                // Joined with guvenliYol: a crafted "../" never leaves the store.
                Durum d = son ? durumOku(guvenliYol(onceki, s->yol)) : Durum{};
                std::string rel = ad + "/" + s->yol;
                ozet.silinen.push_back({0, rel, d.boy, d.zaman});
                ozet.silinenBayt += d.boy;
                EnCok& k = klasorler[sayilanKlasor(rel)];
                k.adet += 1;
                k.boy += d.boy;
                continue;
            }
            ozet.oge += 1;
            if (!s->kod.starts_with(">f")) continue;
            if (Metin::iceriyor(s->kod, "+++"))
                ozet.yeni += 1;
            else
                ozet.degisen += 1;
            auto kaynak = guvenliYol(yol, s->yol);
            Durum d = durumOku(kaynak);
            if (!d.var) continue;
            auto hazir = devamVar ? guvenliYol(devam, s->yol) : std::nullopt;
            if (hazir && BuyukDosyalar::ayni(*hazir, *kaynak))
                ozet.hazirBayt = ozet.hazirBayt.value_or(0) + d.boy;
            else
                ozet.aktarilacakBayt += d.boy;
        }
    }
    std::sort(ozet.silinen.begin(), ozet.silinen.end(), [](auto& a, auto& b) { return a.yol < b.yol; });
    for (size_t i = 0; i < ozet.silinen.size(); ++i) ozet.silinen[i].i = static_cast<int64_t>(i);
    for (auto& [klasor, k] : klasorler) {
        k.klasor = klasor;
        ozet.enCok.push_back(k);
    }
    std::stable_sort(ozet.enCok.begin(), ozet.enCok.end(),
                     [](auto& a, auto& b) { return a.adet != b.adet ? a.adet > b.adet : a.boy > b.boy; });
    if (ozet.enCok.size() > 5) ozet.enCok.resize(5);
    ozet.esik = static_cast<int64_t>(ozet.silinen.size()) > ayarlar.silmeEsigiDosya ||
                ozet.silinenBayt > ayarlar.silmeEsigiBayt;
    ozet.sonYedek = son;
    return ozet;
}

Degisiklik degisiklikBul(const Ayarlar& ayarlar, bool elle, const std::optional<std::string>& birim) {
    std::error_code ec;
    std::string is = Yol::isKlasoru();
    fs::remove_all(is, ec);
    fs::create_directories(is + "/bos", ec);
    std::string haric = is + "/haric.txt";
    yazDene(haric, Metin::birlestir(ayarlar.haric, "\n") + "\n");

    Degisiklik d;
    d.son = Kopyalar::son();
    auto baslangic = Saat::simdi();
    auto kaynaklar = ayarlar.kaynakAdlari();
    for (size_t i = 0; i < kaynaklar.size(); ++i) {
        const auto& [ad, yol] = kaynaklar[i];
        if (!kaynakVar(yol)) {
            Gunluk::yaz("ERROR: source missing: " + yol);
            d.hata = YedekSonucu::kaynakYok(yol);
            break;
        }
        if (!kaynakAdiGecerli(ad)) {
            Gunluk::yaz("ERROR: source name not usable: " + yol);
            d.hata = YedekSonucu::baslayamadi("source name not usable: " + yol);
            break;
        }
        if (yedegiIceriyor(yol, birim, ayarlar.imajAdi)) {
            Gunluk::yaz("ERROR: source contains the backup disk: " + yol);
            d.hata = YedekSonucu::yedekDiskiniIceriyor(yol);
            break;
        }
        std::vector<std::string> args = {
            "-n", "-i", "--delete", "--exclude-from=" + haric};
        if (auto mnt = mntHaric(yol)) args.push_back(*mnt);
        args.push_back(yol + "/");
        args.push_back(karsilastirilan(d.son, ad));
        args.insert(args.end(), rsyncTemel.begin(), rsyncTemel.end());
        KomutSonucu s = komut("/usr/bin/rsync", args, std::string(), is + "/prova-" + std::to_string(i) + ".txt",
                        is + "/prova.err");
        if (s.kod != 0) {
            std::string teknik = Siniflama::teknikMetin(baytlariOku(is + "/prova.err").value_or(""), 300);
            Gunluk::yaz("ERROR: dry run: " + teknik);
            d.hata = YedekSonucu::baslayamadi(teknik);
            break;
        }
    }
    if (d.hata) {
        d.hata->yaz();
        return d;
    }

    d.ozet = ozetCikar(ayarlar, d.son);
    d.ozet.elle = elle;
    yazDene(ozetYolu(), jsonMetni(d.ozet));
    auto sure = std::chrono::duration_cast<std::chrono::seconds>(Saat::simdi() - baslangic).count();
    Gunluk::yaz(Yerel::bicim("Check took %@ s: %@ deleted (%@), %@ changed, %@ new",
                             {std::to_string(sure), std::to_string(d.ozet.silinen.size()), bayt(d.ozet.silinenBayt),
                              std::to_string(d.ozet.degisen), std::to_string(d.ozet.yeni)}));
    return d;
}

}  // namespace Yedekleme
