#include "backup/Esitleme.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "backup/Degisiklik.hpp"
#include "backup/Durdurma.hpp"
#include "backup/GercekYol.hpp"
#include "backup/Siniflama.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Icu.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {
namespace {

constexpr double girdiBasina = 4096;  // directory entry and link of every item

// Numeric date and short time in the user's locale.
std::string yerelTarih(Saat::Zaman an) {
    return Icu::tarih(an, Icu::TarihBicimi::kisa).value_or(Kopyalar::yeniAd(an));
}

// Folders of .devam that belong to no configured source any more.
void bayatKaynaklariSil(const Ayarlar& ayarlar) {
    std::error_code ec;
    auto kaynaklar = ayarlar.kaynakAdlari();
    for (const auto& e : fs::directory_iterator(Yol::devam(), ec)) {
        std::string ad = e.path().filename().string();
        if (std::any_of(kaynaklar.begin(), kaynaklar.end(), [&](auto& k) { return k.ad == ad; })) continue;
        if (auto yol = guvenliYol(Yol::devam(), ad)) {
            std::error_code sec;
            fs::remove_all(*yol, sec);
        }
    }
}

std::vector<std::string> kaynakArgumanlari(const std::string& ad, const std::string& yol,
                                           const std::optional<std::string>& son) {
    std::vector<std::string> args = {"-i", "--stats", "--delete", "--exclude-from=" + Yol::isKlasoru() + "/haric.txt"};
    if (auto mnt = mntHaric(yol)) args.push_back(*mnt);
    args.insert(args.end(), rsyncTemel.begin(), rsyncTemel.end());
    std::error_code ec;
    if (son) {
        std::string onceki = Yol::yedekler() + "/" + *son + "/" + ad;
        if (fs::is_directory(onceki, ec)) args.push_back("--link-dest=" + onceki);
    }
    args.push_back(yol + "/");
    args.push_back(Yol::devam() + "/" + ad + "/");
    return args;
}

int64_t ekle(int64_t a, int64_t b) {
    int64_t t;
    return __builtin_add_overflow(a, b, &t) ? INT64_MAX : t;
}

// `ciktilar` are the outputs of the runs of one source, oldest first: what
// was sent adds up, the sizes are the last run's.
void istatistikTopla(Esitleme& e, const std::string& ad, const std::vector<std::string>& ciktilar) {
    for (const auto& cikti : ciktilar) {
        e.aktarilan += static_cast<double>(istatistik(cikti, "Total transferred file size:"));
        e.gonderilen += static_cast<double>(istatistik(cikti, "sent "));
        for (const auto& satir : Metin::bol(cikti, '\n', true))
            if (satir.starts_with(">f")) e.kopyalanan += 1;
    }
    const std::string& son = ciktilar.back();
    double boyut = static_cast<double>(istatistik(son, "Total file size:"));
    e.toplamBoyut += boyut;
    e.kaynaklar[ad] = boyut;
    e.dosyaSayisi = ekle(e.dosyaSayisi, istatistik(son, "Number of files:"));
}

std::string ciktiYolu(size_t i, bool yeniden) {
    return Yol::isKlasoru() + "/esitle-" + std::to_string(i) + (yeniden ? "-yeniden" : "") + ".txt";
}

struct Gecis {
    int kod = 0;
    std::string hata;  // this run's own error lines
};

// One run of the copy tool for a source; its errors are appended to the
// pass's error file.
Gecis kaynakGecisi(const std::string& ad, const std::string& yol, const std::optional<std::string>& son,
                   const std::string& cikti, const std::string& hataYolu) {
    size_t onceki = baytlariOku(hataYolu).value_or("").size();
    KomutSonucu s = komut("/usr/bin/rsync", kaynakArgumanlari(ad, yol, son), std::string(), cikti, hataYolu);
    if (s.kod != 23 && s.kod != 24) return {s.kod, {}};
    std::string tum = baytlariOku(hataYolu).value_or("");
    Gecis g{s.kod, tum.substr(std::min(onceki, tum.size()))};
    // The tool says on standard output that it skipped --delete after a
    // read error; the copy would keep files deleted on the computer.
    const std::string silmeYok = "IO error encountered -- skipping file deletion\n";
    if (Metin::iceriyor(baytlariOku(cikti).value_or(""), silmeYok)) {
        g.hata += silmeYok;
        yazDene(hataYolu, tum + silmeYok);
    }
    return g;
}

}  // namespace

Oda yerAyir(const Ozet& ozet, double toplam, const Kopyalar::BosYerOlcer& bosYer) {
    if (ozet.hazirBayt)
        Gunluk::yaz(
            Yerel::bicim("Resume: %@ already in the unfinished backup, not counted again", {bayt(*ozet.hazirBayt)}));
    double yedek = Siniflama::yedekPay(toplam);
    Oda oda;
    oda.gereken = static_cast<double>(ozet.silinen.size() + static_cast<size_t>(ozet.oge)) * girdiBasina +
                  ozet.aktarilacakBayt + yedek;
    auto acma = Kopyalar::yerAc(oda.gereken, toplam, bosYer);
    oda.silinen = acma.silinen;
    if (!oda.silinen.empty())
        Gunluk::yaz(Yerel::bicim("Made room: deleted %@ oldest backup(s): %@",
                                 {std::to_string(oda.silinen.size()), Metin::birlestir(oda.silinen, ", ")}));
    if (!acma.yeterli) {
        std::string teknik = bayt(oda.gereken) + " needed, " + bayt(bosYer()) + " free";
        Gunluk::yaz("ERROR: not enough space (" + teknik + ")");
        if (acma.sigmaz)
            Gunluk::yaz("ERROR: larger than the whole volume (" + bayt(toplam) + "); no backup deleted");
        oda.yerYok = Siniflama::yerYok(teknik, {oda.silinen.size(), false, acma.sigmaz, oda.gereken, toplam});
        oda.yerYok->yaz();
    }
    return oda;
}

Oda yerAyir(const Ozet& ozet) {
    return yerAyir(ozet, Disk::toplamYer(Yol::mnt()), [] { return Disk::bosYer(Yol::mnt()); });
}

std::string esitleHataYolu() { return Yol::isKlasoru() + "/esitle.err"; }

Esitleme esitle(const Ayarlar& ayarlar, const Ozet& ozet, const std::optional<std::string>& son,
                const std::vector<BuyukDosyalar::Aday>& adaylar) {
    Esitleme e;
    std::error_code ec;
    fs::create_directories(Yol::devam(), ec);
    bayatKaynaklariSil(ayarlar);
    yazDene(Yol::isKlasoru() + "/baslangic", std::to_string(static_cast<long long>(Disk::doluYer(Yol::mnt()))) + "\n");
    std::string hataYolu = esitleHataYolu();
    fs::remove(hataYolu, ec);
    auto baslangic = Saat::simdi();

    if (!adaylar.empty()) {
        auto b = BuyukDosyalar::aktar(adaylar, [] { return durduruldu.load(); });
        Gunluk::yaz(Yerel::bicim("Large files: %@ copied (%@), %@ with only a new date linked",
                                 {std::to_string(b.kopyalanan), bayt(b.bayt), std::to_string(b.bagli)}));
        if (b.hata) {
            // Written among the copy tool's own error lines, in a shape the
            // classification reads by its error whatever the name holds; the
            // whole text goes to the log.
            Gunluk::yaz("ERROR: large file: " + Metin::utf8Onar(*b.hata));
            std::string satir = Siniflama::kopyalayiciSatiri(b.hataAdi, b.hataNedeni, b.kaynakta) + "\n";
            yazDene(hataYolu, satir);
            if (auto k = kaybolanlar(satir)) e.atlanan.insert(e.atlanan.end(), k->begin(), k->end());
        }
    }

    auto kaynaklar = ayarlar.kaynakAdlari();
    std::vector<bool> yenidenGecildi(kaynaklar.size(), false);
    for (size_t i = 0; i < kaynaklar.size() && !durduruldu; ++i) {
        const auto& [ad, yol] = kaynaklar[i];
        if (!kaynakAdiGecerli(ad)) {
            Gunluk::yaz("ERROR: source name not usable: " + yol);
            e.kod = 1;
            break;
        }
        size_t onceki = baytlariOku(hataYolu).value_or("").size();
        Gecis g = kaynakGecisi(ad, yol, son, ciktiYolu(i, false), hataYolu);
        if ((g.kod == 23 || g.kod == 24) && !durduruldu) {
            if (auto k = kaybolanlar(g.hata)) {
                // A file renamed during the run vanished under its old name,
                // and the new name was not in the tool's list: one more run
                // into the same unfinished copy sends only what changed. Only
                // what vanishes again is skipped, so the first run's lines go.
                Gunluk::yaz("NOTE: " + std::to_string(k->size()) + " file(s) vanished while " + ad +
                            " was copied; copying it once more");
                yazDene(hataYolu, baytlariOku(hataYolu).value_or("").substr(0, onceki));
                yenidenGecildi[i] = true;
                g = kaynakGecisi(ad, yol, son, ciktiYolu(i, true), hataYolu);
            }
        }
        if (g.kod == 0) continue;
        std::optional<std::vector<std::string>> k;
        if (g.kod == 23 || g.kod == 24) k = kaybolanlar(g.hata);
        if (!k) {
            e.kod = g.kod;
            break;
        }
        e.atlanan.insert(e.atlanan.end(), k->begin(), k->end());
    }
    e.sure = std::chrono::duration<double>(Saat::simdi() - baslangic).count();

    for (size_t i = 0; i < kaynaklar.size(); ++i) {
        std::vector<std::string> ciktilar = {baytlariOku(ciktiYolu(i, false)).value_or("")};
        if (yenidenGecildi[i]) ciktilar.push_back(baytlariOku(ciktiYolu(i, true)).value_or(""));
        istatistikTopla(e, kaynaklar[i].ad, ciktilar);
    }

    if (durduruldu || e.kod != 0) return e;

    std::string ad = Kopyalar::yeniAd(Saat::simdi());
    std::string hedef = Yol::yedekler() + "/" + ad;
    if (::rename(Yol::devam().c_str(), hedef.c_str()) != 0) {
        Gunluk::yaz(std::string("ERROR: rename .devam: ") + std::strerror(errno));
        e.kod = 20;
        e.atlanan.clear();
        return e;
    }
    e.tamamlandi = true;
    e.ad = ad;
    e.kod = e.atlanan.empty() ? 0 : 24;
    yazDene(Yol::sonYedek(), yerelTarih(Saat::simdi()));
    yazDene(Yol::mnt() + "/_son-yedek.txt", ad + "\n");
    KopyaBilgisi bilgi;
    bilgi.ad = ad;
    bilgi.aktarilan = e.aktarilan;
    bilgi.kopyalanan = e.kopyalanan;
    bilgi.yeni = ozet.yeni;
    bilgi.degisen = ozet.degisen;
    bilgi.silinen = static_cast<int64_t>(ozet.silinen.size());
    bilgi.silinenBayt = ozet.silinenBayt;
    bilgi.sure = e.sure;
    bilgi.toplamBoyut = e.toplamBoyut;
    bilgi.dosyaSayisi = e.dosyaSayisi;
    bilgi.kaynaklar = e.kaynaklar;
    Kopyalar::bilgiYaz(bilgi);
    Gunluk::yaz(Yerel::bicim("DONE: %@, %@, %@ sent, %@ files copied",
                             {ad, sureMetni(e.sure), bayt(e.gonderilen), std::to_string(e.kopyalanan)}));
    return e;
}

YedekSonucu Esitleme::sonuc(const Siniflama::YerDurumu& yer) const {
    return Siniflama::esitlemeSonucu(kod, baytlariOku(esitleHataYolu()).value_or(""), sureMetni(sure), aktarilan,
                                     kopyalanan, Siniflama::hedef(), yer);
}

int64_t istatistik(const std::string& metin, const std::string& etiket) {
    for (const auto& satir : Metin::bol(metin, '\n', true)) {
        if (!satir.starts_with(etiket)) continue;
        std::string deger = Metin::kirp(std::string_view(satir).substr(etiket.size()));
        deger = deger.substr(0, deger.find(' '));
        // Whole counts: "," groups thousands, or "." where the decimal mark is a comma.
        std::erase_if(deger, [](char c) { return c == ',' || c == '.'; });
        return Metin::sayi(deger).value_or(0);
    }
    return 0;
}

std::string sureMetni(double saniye) {
    long long dakika = static_cast<long long>(saniye) / 60;
    long long saat = dakika / 60;
    dakika %= 60;
    std::vector<std::string> parcalar;
    if (saat > 0) parcalar.push_back(Yerel::bicim("%@h", {std::to_string(saat)}));
    if (dakika > 0 || saat == 0) parcalar.push_back(Yerel::bicim("%@m", {std::to_string(dakika)}));
    return Metin::birlestir(parcalar, " ");
}

}  // namespace Yedekleme
