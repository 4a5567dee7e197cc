// The run, phase by phase: image, change check, decision, copy, retention,
// classification, wrap-up.
#include <filesystem>
#include <memory>

#include "agent/Bildirim.hpp"
#include "backup/Calisma.hpp"
#include "backup/Degisiklik.hpp"
#include "backup/Durdurma.hpp"
#include "backup/Esitleme.hpp"
#include "backup/Siniflama.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "backup/Durum.hpp"
#include "platform/Oturum.hpp"
#include "recovery/Kurtulus.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {
namespace {

// Keeps the machine awake from the copy pass to the end of the run.
std::unique_ptr<Platform::UykuEngeli> uyanikTut() {
    auto engel = Platform::uykuyuEngelle("Ondrak Brimvale backup", "A backup is being copied to the backup disk");
    if (!engel) Gunluk::yaz("NOTE: no sleep inhibitor here (logind is not running); the machine may sleep during the backup");
    return engel;
}

}  // namespace

int32_t akis(const Ayarlar& ayarlar, const std::string& birim, const std::string& imaj, bool elle, Calisma& calisma) {
    auto sonYedek = oku(Yol::sonYedek());
    Gunluk::yaz(Yerel::bicim("Backup disk connected (%@); last backup: %@",
                             {birim, sonYedek ? Metin::kirp(*sonYedek) : Yerel::metin("never")}));

    std::error_code ec;
    if (!fs::exists(fs::symlink_status(imaj, ec))) {
        bildir(Yerel::metin("The backup disk is connected but has no encrypted backup image. Open Ondrak Brimvale to set it up."));
        Gunluk::yaz("no image: " + imaj);
        return 0;
    }

    // Attached just now (not left attached read-write by an earlier run):
    // nothing has looked inside it, so what earlier deletions left can go
    // straight on the disk.
    bool taze = Disk::imajDurumu() != Disk::Baglanti::yazma;
    if (auto hata = Disk::imajiBagla(imaj, false, ayarlar)) {
        YedekSonucu s = Disk::imajDurumu() == Disk::Baglanti::okuma ? YedekSonucu::geriYuklemedeAcik()
                                                                     : YedekSonucu::acilamadi();
        s.yaz();
        bildir(s.bildirim());
        Gunluk::yaz("ERROR: attach: " + *hata);
        calisma.sonuc = "hata";
        return 1;
    }
    // Detached on every way out; the wrap-up detaches it itself.
    Disk::ImajAyirici ayirici;

    fs::create_directories(Yol::yedekler(), ec);
    // Space freed here is given back to the disk by the compaction after this
    // run, where the image needs one.
    bool bosaldi = !Kopyalar::artiklariSil(Yol::yedekler(), taze).empty();
    eskiDuzeniTasi(ayarlar);

    asama("prova");
    if (!elle) bildir(Yerel::metin("Backup disk connected. Checking what changed since the last backup…"));
    Degisiklik degisiklik = degisiklikBul(ayarlar, elle, birim);
    if (degisiklik.hata) {
        bildir(degisiklik.hata->bildirim());
        calisma.sonuc = "hata";
        return 1;
    }
    const Ozet& ozet = degisiklik.ozet;

    Karar karar{"yedekle", {}};
    if (!elle || !ozet.silinen.empty()) {
        asama("soru");
        karar = kararBekle();
    }
    if (durduruldu) {
        return 1;
    }
    if (karar.islem == "cikar") {
        Gunluk::yaz(Yerel::metin("Ejecting without backup"));
        calisma.sonuc = "iptal";
        ayirici.birak();
        return cikar(ayarlar, birim, imaj, bosaldi, std::nullopt, std::nullopt);
    }
    if (karar.islem != "yedekle") {
        Gunluk::yaz(Yerel::metin("Not now: I will ask again later"));
        calisma.sonuc = "ertelendi";
        return 0;
    }

    if (!karar.sec.empty()) {
        auto [getirilen, atlanan] = geriGetir(ozet, karar, ayarlar);
        Gunluk::yaz(Yerel::bicim("Restored to Mac: %@, skipped (a file with that name exists): %@",
                                 {std::to_string(getirilen), std::to_string(atlanan)}));
    }

    auto adaylar = BuyukDosyalar::adaylar(ayarlar, degisiklik.son);
    BuyukDosyalar::bayatlariTemizle(adaylar);
    Oda oda = yerAyir(ozet);
    if (oda.yerYok) {
        // No backup was made: a failure, however the eject went.
        calisma.sonuc = "hata";
        ayirici.birak();
        cikar(ayarlar, birim, imaj, !oda.silinen.empty() || bosaldi, oda.yerYok->bildirim(), std::nullopt);
        return 1;
    }

    asama("esitleme");
    bildir(Yerel::metin("Backup started. Do not unplug the disk; I will eject it and let you know when it is done."));
    auto uyanik = uyanikTut();
    Esitleme esitleme = esitle(ayarlar, ozet, degisiklik.son, adaylar);

    if (durduruldu) {
        YedekSonucu::durdu().yaz();
        calisma.sonuc = "durduruldu";
        return 1;
    }

    std::vector<std::string> silinen = oda.silinen;
    if (esitleme.tamamlandi) {
        calisma.sonuc = "bitti";
        asama("budama");
        std::vector<std::string> budanan;
        if (ayarlar.seyrelt) budanan = Kopyalar::buda(ayarlar.saklama);
        Kopyalar::gecmisEsitle();
        auto birimAdi = Plist::metin(Disk::bilgi(Yol::mnt()), "VolumeName");
        bool brewfile = Kurtulus::tarifYaz(ayarlar, *esitleme.ad, birimAdi);
        calisma.kurtulus = KurtulusBilgisi{*esitleme.ad, birimAdi, brewfile};
        if (!budanan.empty())
            Gunluk::yaz(Yerel::bicim("Retention: deleted %@ old backup(s): %@",
                                     {std::to_string(budanan.size()), Metin::birlestir(budanan, ", ")}));
        silinen.insert(silinen.end(), budanan.begin(), budanan.end());
    } else {
        calisma.sonuc = "hata";
    }

    std::string hata = oku(esitleHataYolu()).value_or("");
    // No file can be made on the volume: it ran out of files, not bytes.
    auto dosyaYeri = Disk::bosDosyaYeri(Yol::mnt());
    Siniflama::YerDurumu yer{oda.silinen.size(), dosyaYeri && *dosyaYeri == 0};
    std::string bildirim = Siniflama::kaydet(esitleme.sonuc(yer), esitleme.kod, hata, esitleme.tamamlandi);

    ayirici.birak();
    int32_t kod = cikar(ayarlar, birim, imaj, !silinen.empty() || bosaldi, bildirim, calisma.kurtulus);
    return esitleme.tamamlandi ? kod : 1;
}

}  // namespace Yedekleme
