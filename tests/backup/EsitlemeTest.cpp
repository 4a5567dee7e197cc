#include <gtest/gtest.h>

#include <csignal>
#include <set>

#include "backup/Degisiklik.hpp"
#include "backup/Durdurma.hpp"
#include "backup/Esitleme.hpp"
#include "core/Saat.hpp"
#include "tests/backup/YedekOrtami.hpp"

namespace fs = std::filesystem;
using namespace YedekOrtami;

namespace {

using Adlar = std::vector<std::string>;
using Dosyalar = std::map<std::string, std::string>;  // path → content

// Every file under `klasor`, by its path below it.
Dosyalar icerik(const std::string& klasor) {
    Dosyalar d;
    for (const auto& g : fs::recursive_directory_iterator(klasor))
        if (g.is_regular_file()) d[fs::relative(g.path(), klasor).string()] = oku(g.path()).value_or("?");
    return d;
}

std::string kopya(const std::string& ad, const std::string& rel = "") { return Yol::yedekler() + "/" + ad + "/" + rel; }

// Each copy run's --link-dest, or "-".
Adlar linkHedefleri(const std::vector<Cagri>& cagrilar) {
    Adlar v;
    for (const auto& c : cagrilar) {
        v.push_back("-");
        for (const auto& a : c.args)
            if (a.starts_with("--link-dest=")) v.back() = a.substr(12);
    }
    return v;
}

struct Esitle : testing::Test {
    Saat::SahteSaat saat{std::chrono::system_clock::from_time_t(1765000000)};
    Yedekleme::Degisiklik d;         // the last pass's change check
    std::vector<Cagri> kopyalamalar;  // the last pass's copy runs, without the dry runs
    Esitle() { Saat::kaynakKur(&saat); }
    ~Esitle() override {
        Saat::kaynakKur(nullptr);
        Yedekleme::durduruldu = false;
    }

    // Writes the sources' files ("Belgeler/a"); the settings hold their top folders.
    static Ayarlar kaynaklar(const Dosyalar& dosyalar) {
        std::set<std::string> adlar;
        for (const auto& [rel, metin] : dosyalar) {
            dosya(kaynak(rel), metin);
            adlar.insert(rel.substr(0, rel.find('/')));
        }
        return ayarlar({adlar.begin(), adlar.end()});
    }
    // A minute later, the change check and the pass through a recording copy tool running `betik`.
    Yedekleme::Esitleme gecis(const Ayarlar& a, const std::string& betik = "exec /usr/bin/rsync \"$@\"") {
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik(betik);
        saat.su += std::chrono::minutes(1);
        d = Yedekleme::degisiklikBul(a, true);
        EXPECT_FALSE(d.hata);
        auto e = Yedekleme::esitle(a, d.ozet, d.son, {});
        kopyalamalar.clear();
        for (const auto& c : rsync.cagrilar())
            if (c.args.empty() || c.args[0] != "-n") kopyalamalar.push_back(c);
        return e;
    }
};

void durdur(int) { Yedekleme::durduruldu = true; }

}  // namespace

// The second copy links every unchanged file to the first; a source added
// since the previous copy alone has no link target.
TEST_F(Esitle, LaterCopiesLinkUnchangedFilesToThePreviousOne) {
    Ayarlar a = kaynaklar({{"Belgeler/a.txt", "aaaa"}, {"Belgeler/alt/b.txt", "bb"}, {"Belgeler/c.txt", "cccccc"},
                           {"Resimler/r.jpg", std::string(1500, 'r')}, {"Resimler/.DS_Store", "excluded"}});
    auto e1 = gecis(a);
    ASSERT_TRUE(e1.tamamlandi);
    EXPECT_EQ(e1.kod, 0);
    ASSERT_EQ(e1.ad, Kopyalar::yeniAd(saat.su));
    EXPECT_FALSE(fs::exists(Yol::devam()));
    EXPECT_EQ(linkHedefleri(kopyalamalar), (Adlar{"-", "-"}));
    Dosyalar beklenen = icerik(kaynak(""));
    beklenen.erase("Resimler/.DS_Store");  // excluded
    EXPECT_EQ(icerik(kopya(*e1.ad)), beklenen);
    EXPECT_EQ(oku(Yol::mnt() + "/_son-yedek.txt"), *e1.ad + "\n");
    EXPECT_FALSE(oku(Yol::sonYedek()).value_or("").empty());
    EXPECT_TRUE(fs::exists(Yol::isKlasoru() + "/baslangic"));
    auto b = jsonOku<KopyaBilgisi>(Kopyalar::metaKlasoru() + "/" + *e1.ad + ".json").value_or(KopyaBilgisi{});
    // Files and folders, as the tool counts them: 7.
    EXPECT_EQ(std::tuple(b.kopyalanan, b.yeni, b.aktarilan, b.toplamBoyut, b.dosyaSayisi),
              std::tuple(4, 4, 1512.0, 1512.0, 7));
    EXPECT_EQ(b.kaynaklar, (std::map<std::string, double>{{"Belgeler", 12}, {"Resimler", 1500}}));
    EXPECT_NE(gunluk().find("DONE: " + *e1.ad + ", 0m, "), std::string::npos);
    EXPECT_NE(gunluk().find(" sent, 4 files copied\n"), std::string::npos);
    EXPECT_EQ(e1.sonuc().baslik, "Backup complete");

    dosya(kaynak("Belgeler/c.txt"), "degisti!");
    auto e2 = gecis(a);
    ASSERT_TRUE(e2.tamamlandi);
    EXPECT_EQ(linkHedefleri(kopyalamalar), (Adlar{kopya(*e1.ad, "Belgeler"), kopya(*e1.ad, "Resimler")}));
    EXPECT_EQ(e2.kopyalanan, 1);
    for (const char* rel : {"Belgeler/a.txt", "Belgeler/alt/b.txt", "Resimler/r.jpg", "Belgeler/c.txt"}) {
        auto yeni = durum(kopya(*e2.ad, rel));
        bool ayni = rel != std::string("Belgeler/c.txt");
        EXPECT_EQ(yeni.st_ino == durum(kopya(*e1.ad, rel)).st_ino, ayni) << rel;
        EXPECT_EQ(yeni.st_nlink > 1, ayni) << rel;
    }
    EXPECT_EQ(oku(kopya(*e2.ad, "Belgeler/c.txt")), "degisti!");

    dosya(kaynak("Yeni/b"), "b");
    ASSERT_TRUE(gecis(ayarlar({"Belgeler", "Resimler", "Yeni"})).tamamlandi);
    EXPECT_EQ(linkHedefleri(kopyalamalar), (Adlar{kopya(*e2.ad, "Belgeler"), kopya(*e2.ad, "Resimler"), "-"}));
}

TEST_F(Esitle, StoppedPassLeavesItsUnfinishedCopyAndTheNextCompletesIt) {
    const Dosyalar belgeler = {{"Belgeler/a", std::string(200, 'a')}, {"Belgeler/b", std::string(100, 'b')}};
    Dosyalar hepsi = belgeler;
    hepsi["Resimler/r"] = "r";
    Ayarlar a = kaynaklar(hepsi);
    std::signal(SIGUSR1, durdur);
    auto e = gecis(a, "/usr/bin/rsync \"$@\"; rc=$?\n[ \"$1\" = -n ] || kill -USR1 $PPID\nexit $rc");
    std::signal(SIGUSR1, SIG_DFL);
    EXPECT_TRUE(Yedekleme::durduruldu);
    EXPECT_FALSE(e.tamamlandi);
    EXPECT_EQ(kopyalamalar.size(), 1u);
    EXPECT_EQ(icerik(Yol::devam()), belgeler);
    EXPECT_TRUE(Kopyalar::liste(Yol::yedekler()).empty());

    Yedekleme::durduruldu = false;
    e = gecis(a);
    EXPECT_EQ(std::tuple(d.ozet.hazirBayt, d.ozet.aktarilacakBayt), std::tuple(300.0, 1.0));
    EXPECT_TRUE(e.tamamlandi);
    EXPECT_EQ(e.kopyalanan, 1);  // only what was missing
    EXPECT_EQ(icerik(kopya(*e.ad)), hepsi);
}

TEST_F(Esitle, PartsOfRemovedSourcesAreDeletedBeforeThePass) {
    dosya(Yol::devam() + "/Eski/x", "x");
    dosya(Yol::devam() + "/Belgeler/y", "y");
    Yedekleme::durduruldu = true;  // no source is copied
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    EXPECT_FALSE(Yedekleme::esitle(kaynaklar({{"Belgeler/a", "a"}}), Ozet{}, std::nullopt, {}).tamamlandi);
    EXPECT_TRUE(rsync.cagrilar().empty());
    EXPECT_EQ(icerik(Yol::devam()), (Dosyalar{{"Belgeler/y", "y"}}));
}

TEST_F(Esitle, OnlyVanishedFilesLetThePassGoOnAfterOneMoreRun) {
    Ayarlar a = kaynaklar({{"Belgeler/a", "a"}, {"Resimler/b", "b"}});
    auto d = Yedekleme::degisiklikBul(a, true);
    const std::string kaybolan =
        "echo \"file has vanished: \\\"/mac/$i\\\"\" >&2\n"
        "echo 'rsync warning: some files vanished before they could be transferred (code 24)' >&2\n"
        "exit 24\n";
    const std::string izin =
        "echo 'rsync: [sender] send_files failed to open \"/mac/g\": Permission denied (13)' >&2; exit 23\n";
    const std::string silmeYok = "IO error encountered -- skipping file deletion\n";
    // The first run of each source ($i odd) and the one more run ($i even).
    auto tekCift = [](const std::string& tek, const std::string& cift) {
        return "if [ $((i % 2)) = 1 ]; then\n" + tek + "\nelse\n" + cift + "\nfi\nexit 0";
    };
    struct Durum {
        std::string ad, betik;
        size_t cagri;
        bool tamamlandi;
        int kod;
        std::string tur;
        Adlar atlanan;
        std::string hataDosyasinda = "", hataDosyasindaYok = "\x01";
    };
    const Durum durumlar[] = {
        {"clean", "exit 0", 2, true, 0, "tamam", {}},
        {"vanished, then all there", tekCift(kaybolan, "exit 0"), 4, true, 0, "tamam", {}, "", "/mac/1"},
        {"vanished again", kaybolan, 4, true, 24, "bilgi", {"/mac/2", "/mac/4"}, "/mac/4", "/mac/3"},
        {"permission error", izin, 1, false, 23, "dikkat", {}},
        {"permission error in the one more run", tekCift(kaybolan, izin), 2, false, 23, "dikkat", {}, "/mac/g",
         "/mac/1"},
        {"deletion skipped after a read error",
         kaybolan.substr(0, kaybolan.size() - 8) + "printf '" + silmeYok + "'; exit 24", 1, false, 24, "dikkat", {},
         silmeYok},
        {"a path in the unfinished copy is no vanished file",
         "echo 'rsync: [receiver] mkstemp \"" + Yol::devam() + "/Belgeler/.a.x\" failed: No such file or "
         "directory (2)' >&2; exit 23", 1, false, 23, "sorun", {}},
        {"another status", "exit 12", 1, false, 12, "dikkat", {}},
    };
    for (const auto& d2 : durumlar) {
        SCOPED_TRACE(d2.ad);
        saat.su += std::chrono::minutes(1);
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik(d2.betik);
        auto e = Yedekleme::esitle(a, d.ozet, d.son, {});
        auto c = rsync.cagrilar();
        ASSERT_EQ(c.size(), d2.cagri);
        EXPECT_TRUE(c.size() < 4 || c[1].args == c[0].args) << "one more run into the same unfinished copy";
        EXPECT_EQ(std::tuple(e.tamamlandi, e.kod, e.sonuc().tur, e.atlanan),
                  std::tuple(d2.tamamlandi, d2.kod, d2.tur, d2.atlanan));
        EXPECT_EQ(fs::exists(Yol::devam()), !d2.tamamlandi);
        std::string hata = oku(Yedekleme::esitleHataYolu()).value_or("");
        EXPECT_NE(hata.find(d2.hataDosyasinda), std::string::npos);
        EXPECT_EQ(hata.find(d2.hataDosyasindaYok), std::string::npos) << hata;
    }
    EXPECT_NE(gunluk().find("NOTE: 1 file(s) vanished while Belgeler was copied; copying it once more\n"),
              std::string::npos);
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()).size(), 3u);
}

TEST_F(Esitle, FailedRenameIsStatusTwenty) {
    dosya(kopya(Kopyalar::yeniAd(saat.su), "engel"), "x");
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    auto e = Yedekleme::esitle(kaynaklar({{"Belgeler/a", "a"}}), Ozet{}, std::nullopt, {});
    EXPECT_EQ(std::tuple(e.tamamlandi, e.kod, e.sonuc().baslik), std::tuple(false, 20, "Backup incomplete"));
    EXPECT_NE(gunluk().find("ERROR: rename .devam: "), std::string::npos);
}

TEST(YerAyir, OldestCopiesGoFirstButNeverTheLast) {
    const Adlar adlar = {"2026-01-01_000000", "2026-02-01_000000", "2026-03-01_000000"};
    for (const auto& ad : adlar) dosya(kopya(ad, "Belgeler/a"), "a");
    Ozet o;
    o.oge = 10;
    o.silinen.resize(2);
    o.aktarilacakBayt = 1000;
    o.hazirBayt = 300;
    // Free space rises enough after the first deletion.
    auto oda = Yedekleme::yerAyir(o, 1e9, [] { return Kopyalar::liste(Yol::yedekler()).size() == 3 ? 1e6 : 1e12; });
    EXPECT_EQ(std::tuple(oda.gereken, oda.silinen, oda.yerYok.has_value()),
              std::tuple(12 * 4096 + 1000 + 52428800.0, Adlar{adlar[0]}, false));

    oda = Yedekleme::yerAyir(o, 1e12, [] { return 1000.0; });
    EXPECT_EQ(oda.gereken, 12 * 4096 + 1000 + 1073741824.0);
    EXPECT_EQ(oda.silinen, (Adlar{adlar[1]}));
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{adlar[2]}));
    ASSERT_TRUE(oda.yerYok);
    EXPECT_EQ(oda.yerYok->baslik, "Not enough space on the backup disk");
    EXPECT_NE(oda.yerYok->aciklama.find("Brimvale deleted the oldest backups it could"), std::string::npos);
    EXPECT_NE(oda.yerYok->aciklama.find(": 1."), std::string::npos) << oda.yerYok->aciklama;
    EXPECT_EQ(oda.yerYok->teknik, "1.07 GB needed, 1 KB free");
    EXPECT_EQ(YedekSonucu::oku(), oda.yerYok);
    std::string g = gunluk();
    EXPECT_NE(g.find("Resume: 300 bytes already in the unfinished backup, not counted again\n"), std::string::npos);
    EXPECT_NE(g.find("Made room: deleted 1 oldest backup(s): " + adlar[0] + "\n"), std::string::npos);
    EXPECT_NE(g.find("ERROR: not enough space (1.07 GB needed, 1 KB free)\n"), std::string::npos);

    for (const auto& ad : adlar) dosya(kopya(ad, "Belgeler/a"), "a");
    // A backup larger than the whole volume deletes no copy and says it can never fit.
    o = Ozet{};
    o.aktarilacakBayt = 450e6;
    oda = Yedekleme::yerAyir(o, 363e6, [] { return 100e6; });
    EXPECT_TRUE(oda.silinen.empty());
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), adlar);
    ASSERT_TRUE(oda.yerYok);
    EXPECT_NE(oda.yerYok->aciklama.find("363 MB"), std::string::npos) << oda.yerYok->aciklama;
    EXPECT_NE(oda.yerYok->aciklama.find("No backup was deleted"), std::string::npos) << oda.yerYok->aciklama;
}

TEST(Istatistik, NumbersAfterTheLabelWithoutSeparatorsAndOnlyWhenTheyFit) {
    std::string cikti =
        "Number of files: 50,001 (reg: 50,000, dir: 1)\n"
        "Total file size: 1,234,567 bytes\n"
        "Total transferred file size: 1.234.567 bytes\n"
        "Literal data: abc bytes\n"
        "sent 300,216 bytes  received 54 bytes  200,180.00 bytes/sec\n"
        "Total file size: 9 bytes\n"
        "Matched data: 9,223,372,036,854,775,807 bytes\n"
        "Total bytes sent: 9223372036854775808\n"
        "Total bytes received: " + std::string(400, '7') + "\n"
        "File list size: -5\n";
    struct Durum { std::string etiket; int64_t deger; };
    const Durum durumlar[] = {
        {"Number of files:", 50001},   {"Total file size:", 1234567},   {"Total transferred file size:", 1234567},
        {"Literal data:", 0},          {"sent ", 300216},               {"Matched data:", INT64_MAX},
        {"Total bytes sent:", 0},      {"Total bytes received:", 0},    {"File list size:", 0},
        {"Deleted files:", 0},
    };
    for (const auto& d : durumlar) EXPECT_EQ(Yedekleme::istatistik(cikti, d.etiket), d.deger) << d.etiket;
}

TEST_F(Esitle, CountsBeyondSixtyFourBitsNeitherThrowNorWrap) {
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    rsync.betik("echo 'Number of files: 9,223,372,036,854,775,807'\n"
                "echo 'Total file size: 9223372036854775807 bytes'\n"
                "echo 'sent " + std::string(400, '9') + " bytes  received 1 bytes'\n"
                "echo 'Total transferred file size: 99999999999999999999 bytes'");
    auto e = Yedekleme::esitle(kaynaklar({{"Belgeler/a", "a"}, {"Resimler/b", "b"}}), Ozet{}, std::nullopt, {});
    ASSERT_TRUE(e.tamamlandi);
    EXPECT_EQ(std::tuple(e.dosyaSayisi, e.gonderilen, e.aktarilan), std::tuple(INT64_MAX, 0.0, 0.0));
    EXPECT_EQ(e.toplamBoyut, 2 * 9223372036854775807.0);
}

TEST_F(Esitle, LargeFilesGoFirstAndOneThatVanishedIsSkipped) {
    setenv("BRIMVALE_BUYUK_ESIK", "1000", 1);
    Ayarlar a = kaynaklar({{"Filmler/buyuk.mov", std::string(2000, 'b')}, {"Filmler/giden.mov", std::string(3000, 'g')},
                           {"Filmler/kucuk.txt", "k"}});
    auto d = Yedekleme::degisiklikBul(a, true);
    auto adaylar = BuyukDosyalar::adaylar(a, d.son);
    ASSERT_EQ(adaylar.size(), 2u);
    fs::remove(kaynak("Filmler/giden.mov"));
    auto e = Yedekleme::esitle(a, d.ozet, d.son, adaylar);
    ASSERT_TRUE(e.tamamlandi);
    YedekSonucu s = e.sonuc();
    const Adlar giden = {"Filmler/giden.mov"};
    EXPECT_EQ(std::tuple(e.kod, e.atlanan, s.tur, s.atlanan), std::tuple(24, giden, "bilgi", giden));
    EXPECT_EQ(e.kopyalanan, 1);  // the copy tool found the large file already there
    EXPECT_EQ(icerik(kopya(*e.ad)), icerik(kaynak("")));
    EXPECT_NE(gunluk().find("Large files: 1 copied (2 KB), 0 with only a new date linked\n"), std::string::npos);
}
