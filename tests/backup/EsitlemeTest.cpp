#include <gtest/gtest.h>

#include <csignal>

#include "backup/Degisiklik.hpp"
#include "backup/Durdurma.hpp"
#include "backup/Esitleme.hpp"
#include "core/Saat.hpp"
#include "tests/backup/YedekOrtami.hpp"

namespace fs = std::filesystem;
using namespace YedekOrtami;

namespace {

struct Esitle : testing::Test {
    Saat::SahteSaat saat{std::chrono::system_clock::from_time_t(1765000000)};
    void SetUp() override {
        Saat::kaynakKur(&saat);
        Yedekleme::durduruldu = false;
    }
    void TearDown() override {
        Saat::kaynakKur(nullptr);
        Yedekleme::durduruldu = false;
    }

    Yedekleme::Esitleme gecis(const Ayarlar& a) {
        auto d = Yedekleme::degisiklikBul(a, true);
        EXPECT_FALSE(d.hata);
        return Yedekleme::esitle(a, d.ozet, d.son, {});
    }
    std::string kopya(const std::string& ad, const std::string& rel) { return Yol::yedekler() + "/" + ad + "/" + rel; }
};

// The copy runs, without the dry runs of the change check.
std::vector<Cagri> kopyaCagrilari(const SahteArac& rsync) {
    std::vector<Cagri> v;
    for (const auto& c : rsync.cagrilar())
        if (c.args.empty() || c.args[0] != "-n") v.push_back(c);
    return v;
}

std::vector<std::string> linkHedefleri(const SahteArac& rsync) {
    std::vector<std::string> v;
    for (const auto& c : kopyaCagrilari(rsync)) {
        std::string h = "-";
        for (const auto& a : c.args)
            if (a.rfind("--link-dest=", 0) == 0) h = a.substr(12);
        v.push_back(h);
    }
    return v;
}

}  // namespace

TEST_F(Esitle, SecondCopyLinksEveryUnchangedFileToTheFirst) {
    dosya(kaynak("Belgeler") + "/a.txt", "aaaa");
    dosya(kaynak("Belgeler") + "/alt/b.txt", "bb");
    dosya(kaynak("Belgeler") + "/c.txt", "cccccc");
    dosya(kaynak("Resimler") + "/r.jpg", std::string(1500, 'r'));
    dosya(kaynak("Resimler") + "/.DS_Store", "excluded");
    Ayarlar a = ayarlar({"Belgeler", "Resimler"});

    SahteArac rsync = rsyncKaydet();
    auto e1 = gecis(a);
    ASSERT_TRUE(e1.tamamlandi);
    EXPECT_EQ(e1.kod, 0);
    ASSERT_EQ(e1.ad, Kopyalar::yeniAd(saat.su));
    EXPECT_FALSE(fs::exists(Yol::devam()));
    std::string is = Yol::isKlasoru();
    auto c = kopyaCagrilari(rsync);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(linkHedefleri(rsync), (std::vector<std::string>{"-", "-"}));
    EXPECT_FALSE(fs::exists(kopya(*e1.ad, "Resimler/.DS_Store"))) << "excluded";
    EXPECT_EQ(oku(Yol::mnt() + "/_son-yedek.txt"), *e1.ad + "\n");
    EXPECT_FALSE(oku(Yol::sonYedek()).value_or("").empty());
    EXPECT_TRUE(fs::exists(is + "/baslangic"));
    auto bilgi = jsonOku<KopyaBilgisi>(Kopyalar::metaKlasoru() + "/" + *e1.ad + ".json");
    ASSERT_TRUE(bilgi);
    EXPECT_EQ(bilgi->kopyalanan, 4);
    EXPECT_EQ(bilgi->yeni, 4);
    EXPECT_EQ(bilgi->aktarilan, 1512.0);
    EXPECT_EQ(bilgi->toplamBoyut, 1512.0);
    EXPECT_EQ(bilgi->dosyaSayisi, 7);  // files and folders, as the tool counts them
    EXPECT_EQ(bilgi->kaynaklar, (std::map<std::string, double>{{"Belgeler", 12}, {"Resimler", 1500}}));
    EXPECT_NE(gunluk().find("DONE: " + *e1.ad + ", 0m, "), std::string::npos);
    EXPECT_NE(gunluk().find(" sent, 4 files copied\n"), std::string::npos);
    EXPECT_EQ(e1.sonuc().baslik, "Backup complete");

    dosya(kaynak("Belgeler") + "/c.txt", "degisti!");
    saat.su += std::chrono::minutes(1);
    SahteArac rsync2 = rsyncKaydet();
    auto e2 = gecis(a);
    ASSERT_TRUE(e2.tamamlandi);
    EXPECT_EQ(linkHedefleri(rsync2), (std::vector<std::string>{kopya(*e1.ad, "Belgeler"), kopya(*e1.ad, "Resimler")}));
    EXPECT_EQ(e2.kopyalanan, 1);
    for (const char* rel : {"Belgeler/a.txt", "Belgeler/alt/b.txt", "Resimler/r.jpg"}) {
        auto yeni = durum(kopya(*e2.ad, rel));
        EXPECT_EQ(yeni.st_ino, durum(kopya(*e1.ad, rel)).st_ino) << rel;
        EXPECT_GT(yeni.st_nlink, 1u) << rel;
    }
    EXPECT_NE(durum(kopya(*e2.ad, "Belgeler/c.txt")).st_ino, durum(kopya(*e1.ad, "Belgeler/c.txt")).st_ino);
    EXPECT_EQ(oku(kopya(*e2.ad, "Belgeler/c.txt")), "degisti!");
}

TEST_F(Esitle, SourceAddedSinceThePreviousCopyAloneHasNoLinkTarget) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(kaynak("Yeni") + "/b", "b");
    dosya(kopya("2026-01-01_000000", "Belgeler/a"), "a");
    SahteArac rsync = rsyncKaydet();
    auto e = gecis(ayarlar({"Belgeler", "Yeni"}));
    EXPECT_TRUE(e.tamamlandi);
    EXPECT_EQ(linkHedefleri(rsync), (std::vector<std::string>{kopya("2026-01-01_000000", "Belgeler"), "-"}));
}

namespace {
void durdur(int) { Yedekleme::durduruldu = true; }
}  // namespace

TEST_F(Esitle, StoppedPassLeavesItsUnfinishedCopyAndTheNextCompletesIt) {
    dosya(kaynak("Belgeler") + "/a", std::string(200, 'a'));
    dosya(kaynak("Belgeler") + "/b", std::string(100, 'b'));
    dosya(kaynak("Resimler") + "/r", "r");
    Ayarlar a = ayarlar({"Belgeler", "Resimler"});
    auto d = Yedekleme::degisiklikBul(a, true);
    std::signal(SIGUSR1, durdur);
    SahteArac rsync = rsyncKaydet("[ \"$i\" = 1 ] && kill -USR1 $PPID");
    auto e = Yedekleme::esitle(a, d.ozet, d.son, {});
    std::signal(SIGUSR1, SIG_DFL);
    EXPECT_TRUE(Yedekleme::durduruldu);
    EXPECT_FALSE(e.tamamlandi);
    EXPECT_EQ(kopyaCagrilari(rsync).size(), 1u);
    EXPECT_TRUE(fs::exists(Yol::devam() + "/Belgeler/b"));
    EXPECT_FALSE(fs::exists(Yol::devam() + "/Resimler"));
    EXPECT_TRUE(Kopyalar::liste(Yol::yedekler()).empty());

    Yedekleme::durduruldu = false;
    SahteArac devam = rsyncKaydet();
    d = Yedekleme::degisiklikBul(a, true);
    EXPECT_EQ(d.ozet.hazirBayt, 300.0);
    EXPECT_EQ(d.ozet.aktarilacakBayt, 1.0);
    e = Yedekleme::esitle(a, d.ozet, d.son, {});
    EXPECT_TRUE(e.tamamlandi);
    EXPECT_EQ(e.kopyalanan, 1);  // only what was missing
    EXPECT_EQ(oku(kopya(*e.ad, "Belgeler/a")), std::string(200, 'a'));
}

TEST_F(Esitle, PartsOfRemovedSourcesAreDeletedBeforeThePass) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(Yol::devam() + "/Eski/x", "x");
    dosya(Yol::devam() + "/Belgeler/y", "y");
    Yedekleme::durduruldu = true;  // no source is copied
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    auto e = Yedekleme::esitle(ayarlar({"Belgeler"}), Ozet{}, std::nullopt, {});
    EXPECT_FALSE(e.tamamlandi);
    EXPECT_TRUE(rsync.cagrilar().empty());
    EXPECT_FALSE(fs::exists(Yol::devam() + "/Eski"));
    EXPECT_TRUE(fs::exists(Yol::devam() + "/Belgeler/y"));
}

TEST_F(Esitle, FileRenamedOrDeletedDuringTheCopyIsInTheCopyAsItIsNow) {
    struct Durum { std::string ad, eylem; std::vector<std::string> kopyada, kopyadaYok; };
    std::string k = kaynak("Belgeler");
    std::vector<Durum> durumlar = {
        {"renamed", "mv '" + k + "/z_eski' '" + k + "/z_yeni'", {"z_yeni"}, {"z_eski"}},
        {"deleted", "rm '" + k + "/z_eski'", {}, {"z_eski", "z_yeni"}},
    };
    for (const auto& d : durumlar) {
        std::error_code ec;
        fs::remove_all(k, ec);
        fs::remove_all(Yol::mnt(), ec);
        dosya(k + "/a_buyuk", std::string(150000, 'a'));
        dosya(k + "/z_eski", "z");
        // The first copy run is slowed; the file moves once the transfer of
        // a_buyuk has begun, so the tool's list still holds the old name.
        std::string isaret = TestOrtami::kok() + "/ilk-kopya";
        fs::remove(isaret, ec);
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik("case \"$*\" in -n*) exec /usr/bin/rsync \"$@\";; esac\n"
                    "mkdir '" + isaret + "' 2>/dev/null || exec /usr/bin/rsync \"$@\"\n"
                    "/usr/bin/rsync --bwlimit=100 \"$@\" & p=$!\n"
                    "while [ -z \"$(ls -A '" + Yol::devam() + "/Belgeler' 2>/dev/null)\" ]; do sleep 0.02; done\n" +
                    d.eylem + "\nwait $p; exit $?");
        saat.su += std::chrono::minutes(1);
        auto e = gecis(ayarlar({"Belgeler"}));
        ASSERT_TRUE(e.tamamlandi) << d.ad;
        auto c = kopyaCagrilari(rsync);
        ASSERT_EQ(c.size(), 2u) << d.ad << ": the source is copied once more";
        EXPECT_EQ(c[1].args, c[0].args) << d.ad << ": into the same unfinished copy";
        EXPECT_EQ(e.kod, 0) << d.ad;
        EXPECT_TRUE(e.atlanan.empty()) << d.ad;
        YedekSonucu s = e.sonuc();
        EXPECT_EQ(s.tur, "tamam") << d.ad;
        EXPECT_TRUE(s.atlanan.empty()) << d.ad;
        for (const auto& ad : d.kopyada) EXPECT_EQ(oku(kopya(*e.ad, "Belgeler/" + ad)), "z") << d.ad;
        for (const auto& ad : d.kopyadaYok) EXPECT_FALSE(fs::exists(kopya(*e.ad, "Belgeler/" + ad))) << d.ad;
        EXPECT_EQ(oku(kopya(*e.ad, "Belgeler/a_buyuk")), std::string(150000, 'a')) << d.ad;
        EXPECT_NE(gunluk().find("NOTE: 1 file(s) vanished while Belgeler was copied; copying it once more\n"),
                  std::string::npos);
    }
}

TEST_F(Esitle, OnlyVanishedFilesLetThePassGoOnAfterOneMoreRun) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(kaynak("Resimler") + "/b", "b");
    Ayarlar a = ayarlar({"Belgeler", "Resimler"});
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
        std::vector<std::string> atlanan;
        std::string hataDosyasinda = "", hataDosyasindaYok = "\x01";
    };
    std::vector<Durum> durumlar = {
        {"clean", "exit 0", 2, true, 0, {}},
        {"vanished, then all there in one more run", tekCift(kaybolan, "exit 0"), 4, true, 0, {}, "", "/mac/1"},
        {"vanished again in the one more run", kaybolan, 4, true, 24, {"/mac/2", "/mac/4"}, "/mac/4", "/mac/3"},
        {"permission error", izin, 1, false, 23, {}},
        {"permission error in the one more run", tekCift(kaybolan, izin), 2, false, 23, {}, "/mac/g", "/mac/1"},
        {"deletion skipped after a read error", kaybolan.substr(0, kaybolan.size() - 8) + "printf '" + silmeYok +
             "'; exit 24", 1, false, 24, {}, silmeYok},
        {"a path in the unfinished copy is no vanished file",
         "echo 'rsync: [receiver] mkstemp \"" + Yol::devam() + "/Belgeler/.a.x\" failed: No such file or "
         "directory (2)' >&2; exit 23", 1, false, 23, {}},
        {"another status", "exit 12", 1, false, 12, {}},
    };
    for (const auto& d2 : durumlar) {
        saat.su += std::chrono::minutes(1);
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik(d2.betik);
        auto e = Yedekleme::esitle(a, d.ozet, d.son, {});
        EXPECT_EQ(rsync.cagrilar().size(), d2.cagri) << d2.ad;
        EXPECT_EQ(e.tamamlandi, d2.tamamlandi) << d2.ad;
        EXPECT_EQ(e.kod, d2.kod) << d2.ad;
        EXPECT_EQ(e.atlanan, d2.atlanan) << d2.ad;
        EXPECT_EQ(fs::exists(Yol::devam()), !d2.tamamlandi) << d2.ad;
        std::string hata = oku(Yedekleme::esitleHataYolu()).value_or("");
        EXPECT_NE(hata.find(d2.hataDosyasinda), std::string::npos) << d2.ad;
        EXPECT_EQ(hata.find(d2.hataDosyasindaYok), std::string::npos) << d2.ad << ": " << hata;
        if (!d2.tamamlandi) {
            EXPECT_NE(e.sonuc().tur, "bilgi") << d2.ad;
        }
    }
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()).size(), 3u);
}

TEST_F(Esitle, FailedRenameIsStatusTwenty) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(kopya(Kopyalar::yeniAd(saat.su), "engel"), "x");
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    auto e = Yedekleme::esitle(ayarlar({"Belgeler"}), Ozet{}, std::nullopt, {});
    EXPECT_FALSE(e.tamamlandi);
    EXPECT_EQ(e.kod, 20);
    EXPECT_NE(gunluk().find("ERROR: rename .devam: "), std::string::npos);
    EXPECT_EQ(e.sonuc().baslik, "Backup incomplete");
}

TEST(YerAyir, OldestCopiesGoFirstButNeverTheLast) {
    std::vector<std::string> adlar = {"2026-01-01_000000", "2026-02-01_000000", "2026-03-01_000000"};
    for (const auto& ad : adlar) dosya(Yol::yedekler() + "/" + ad + "/Belgeler/a", "a");
    Ozet o;
    o.oge = 10;
    o.silinen.resize(2);
    o.aktarilacakBayt = 1000;
    o.hazirBayt = 300;

    // Free space rises enough after the first deletion.
    auto oda = Yedekleme::yerAyir(o, 1e9, [] { return Kopyalar::liste(Yol::yedekler()).size() == 3 ? 1e6 : 1e12; });
    EXPECT_EQ(oda.gereken, 12 * 4096 + 1000 + 52428800.0);
    EXPECT_EQ(oda.silinen, (std::vector<std::string>{adlar[0]}));
    EXPECT_FALSE(oda.yerYok);

    oda = Yedekleme::yerAyir(o, 1e12, [] { return 1000.0; });
    EXPECT_EQ(oda.gereken, 12 * 4096 + 1000 + 1073741824.0);
    EXPECT_EQ(oda.silinen, (std::vector<std::string>{adlar[1]}));
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (std::vector<std::string>{adlar[2]}));
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
}

// A backup larger than the whole volume deletes no copy and says it can never fit.
TEST(YerAyir, LargerThanTheWholeVolumeDeletesNothing) {
    std::vector<std::string> adlar = {"2026-01-01_000000", "2026-02-01_000000", "2026-03-01_000000"};
    for (const auto& ad : adlar) dosya(Yol::yedekler() + "/" + ad + "/Belgeler/a", "a");
    Ozet o;
    o.aktarilacakBayt = 450e6;
    auto oda = Yedekleme::yerAyir(o, 363e6, [] { return 100e6; });
    EXPECT_TRUE(oda.silinen.empty());
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), adlar);
    ASSERT_TRUE(oda.yerYok);
    EXPECT_EQ(oda.yerYok->baslik, "Not enough space on the backup disk");
    EXPECT_EQ(oda.yerYok->aciklama.find("deleted the oldest"), std::string::npos) << oda.yerYok->aciklama;
    EXPECT_NE(oda.yerYok->aciklama.find("363 MB"), std::string::npos) << oda.yerYok->aciklama;
    EXPECT_NE(oda.yerYok->aciklama.find("No backup was deleted"), std::string::npos) << oda.yerYok->aciklama;
    EXPECT_EQ(YedekSonucu::oku(), oda.yerYok);
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
    for (const auto& d : std::vector<Durum>{{"Number of files:", 50001},
                                            {"Total file size:", 1234567},
                                            {"Total transferred file size:", 1234567},
                                            {"Literal data:", 0},
                                            {"sent ", 300216},
                                            {"Matched data:", INT64_MAX},
                                            {"Total bytes sent:", 0},
                                            {"Total bytes received:", 0},
                                            {"File list size:", 0},
                                            {"Deleted files:", 0}})
        EXPECT_EQ(Yedekleme::istatistik(cikti, d.etiket), d.deger) << d.etiket;
}

TEST_F(Esitle, CountsBeyondSixtyFourBitsNeitherThrowNorWrap) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(kaynak("Resimler") + "/b", "b");
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    rsync.betik("echo 'Number of files: 9,223,372,036,854,775,807'\n"
                "echo 'Total file size: 9223372036854775807 bytes'\n"
                "echo 'sent " + std::string(400, '9') + " bytes  received 1 bytes'\n"
                "echo 'Total transferred file size: 99999999999999999999 bytes'");
    auto e = Yedekleme::esitle(ayarlar({"Belgeler", "Resimler"}), Ozet{}, std::nullopt, {});
    ASSERT_TRUE(e.tamamlandi);
    EXPECT_EQ(e.dosyaSayisi, INT64_MAX);
    EXPECT_EQ(e.gonderilen, 0);
    EXPECT_EQ(e.aktarilan, 0);
    EXPECT_EQ(e.toplamBoyut, 2 * 9223372036854775807.0);
}

TEST_F(Esitle, LargeFilesGoFirstAndOneThatVanishedIsSkipped) {
    setenv("BRIMVALE_BUYUK_ESIK", "1000", 1);
    std::string k = kaynak("Filmler");
    dosya(k + "/buyuk.mov", std::string(2000, 'b'));
    dosya(k + "/giden.mov", std::string(3000, 'g'));
    dosya(k + "/kucuk.txt", "k");
    Ayarlar a = ayarlar({"Filmler"});
    auto d = Yedekleme::degisiklikBul(a, true);
    auto adaylar = BuyukDosyalar::adaylar(a, d.son);
    ASSERT_EQ(adaylar.size(), 2u);
    fs::remove(k + "/giden.mov");

    auto e = Yedekleme::esitle(a, d.ozet, d.son, adaylar);
    unsetenv("BRIMVALE_BUYUK_ESIK");
    ASSERT_TRUE(e.tamamlandi);
    EXPECT_EQ(e.kod, 24);
    EXPECT_EQ(e.atlanan, (std::vector<std::string>{"Filmler/giden.mov"}));
    EXPECT_EQ(e.kopyalanan, 1);  // the copy tool found the large file already there
    EXPECT_EQ(oku(kopya(*e.ad, "Filmler/buyuk.mov")), std::string(2000, 'b'));
    EXPECT_NE(gunluk().find("Large files: 1 copied (2 KB), 0 with only a new date linked\n"), std::string::npos);
    YedekSonucu s = e.sonuc();
    EXPECT_EQ(s.tur, "bilgi");
    EXPECT_EQ(s.atlanan, (std::vector<std::string>{"Filmler/giden.mov"}));
}
