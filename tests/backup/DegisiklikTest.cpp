#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include "backup/Degisiklik.hpp"
#include "backup/Esitleme.hpp"
#include "core/Komut.hpp"
#include "tests/backup/YedekOrtami.hpp"

namespace fs = std::filesystem;
using namespace YedekOrtami;

namespace {

const std::string onceki = "2026-01-01_000000";

std::string oncekiYol(const std::string& rel) { return Yol::yedekler() + "/" + onceki + "/" + rel; }

}  // namespace

TEST(DegisiklikBul, FirstBackupCountsEveryFileAsNewWhateverItsName) {
    // Spaces, " -> ", non-ASCII letters and a newline; escaped by the tool
    // differently under each locale.
    std::vector<std::pair<std::string, std::string>> dosyalar = {
        {"a.txt", "aaa"},   {"alt/b.txt", "bbbbb"}, {"sp ace", "ss"},
        {"a -> b", "dddd"}, {"\u00e7ay", "c"},      {"yeni\nsat\u0131r", "yyyyyy"}, {"haric.tmp", "excluded"}};
    for (const auto& [ad, icerik] : dosyalar) dosya(kaynak("Belgeler") + "/" + ad, icerik);
    fs::create_symlink("a.txt", kaynak("Belgeler") + "/l -> x");
    for (const char* yerel : {"C.UTF-8", "C"}) {
        setenv("LC_ALL", yerel, 1);
        SahteArac rsync = rsyncKaydet();
        auto d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), true);
        unsetenv("LC_ALL");
        ASSERT_FALSE(d.hata) << yerel;
        EXPECT_FALSE(d.son);
        EXPECT_EQ(d.ozet.yeni, 6) << yerel;
        EXPECT_EQ(d.ozet.degisen, 0);
        EXPECT_EQ(d.ozet.aktarilacakBayt, 21.0) << yerel;
        EXPECT_GE(d.ozet.oge, 8);  // six files, a link, a folder
        EXPECT_TRUE(d.ozet.silinen.empty());
        EXPECT_FALSE(d.ozet.hazirBayt);
        EXPECT_TRUE(d.ozet.elle);
        EXPECT_EQ(jsonOku<Ozet>(Yedekleme::ozetYolu()), d.ozet);
        auto j = nlohmann::json::parse(*oku(Yedekleme::ozetYolu()));
        EXPECT_FALSE(j.contains("sonYedek"));
        EXPECT_FALSE(j.contains("hazirBayt"));

        std::string is = Yol::isKlasoru();
        EXPECT_EQ(rsync.cagrilar().size(), 1u);
        EXPECT_EQ(oku(is + "/haric.txt"), ".DS_Store\n*.tmp\n");
    }
    EXPECT_NE(gunluk().find("Check took 0 s: 0 deleted (Zero KB), 0 changed, 6 new\n"), std::string::npos);
}

TEST(DegisiklikBul, SummaryOfDeletedChangedAndNewFiles) {
    std::string k = kaynak("Belgeler");
    dosya(k + "/kalan.txt", "kalan");
    dosya(k + "/degisen.txt", "yeni icerik");
    dosya(k + "/yeni.txt", "yeni!");
    dosya(k + "/a/kalan", "k");
    dosya(k + "/iki/kalan", "k");
    fs::create_symlink("kalan.txt", k + "/yeni-bag");

    dosya(oncekiYol("Belgeler/kalan.txt"), "kalan");
    dosya(oncekiYol("Belgeler/degisen.txt"), "eski");
    dosya(oncekiYol("Belgeler/a/kalan"), "k");
    dosya(oncekiYol("Belgeler/iki/kalan"), "k");
    dosya(oncekiYol("Belgeler/kok.txt"), std::string(10, 'k'), 1700000001);
    dosya(oncekiYol("Belgeler/x -> y.txt"), "xxxx");
    fs::create_symlink("kok.txt", oncekiYol("Belgeler/bag"));
    dosya(oncekiYol("Belgeler/a/b/c/d/e/derin.txt"), std::string(100, 'd'));
    dosya(oncekiYol("Belgeler/a/b/c/x.txt"), "x");
    dosya(oncekiYol("Belgeler/iki/1"), std::string(50, '1'));
    dosya(oncekiYol("Belgeler/iki/2"), std::string(50, '2'));
    dosya(oncekiYol("Belgeler/eski/f"), "fffffff");

    Ayarlar a = ayarlar({"Belgeler"});
    auto d = Yedekleme::degisiklikBul(a, false);
    ASSERT_FALSE(d.hata);
    EXPECT_EQ(d.son, onceki);
    EXPECT_EQ(d.ozet.sonYedek, onceki);
    const Ozet& o = d.ozet;

    std::vector<std::string> yollar;
    for (const auto& s : o.silinen) yollar.push_back(s.yol);
    EXPECT_EQ(yollar, (std::vector<std::string>{"Belgeler/a/b/c/d/e/derin.txt", "Belgeler/a/b/c/x.txt", "Belgeler/bag",
                                                "Belgeler/eski/f", "Belgeler/iki/1", "Belgeler/iki/2",
                                                "Belgeler/kok.txt", "Belgeler/x -> y.txt"}));
    for (size_t i = 0; i < o.silinen.size(); ++i) EXPECT_EQ(o.silinen[i].i, static_cast<int64_t>(i));
    EXPECT_EQ(o.silinen[6], (SilinenDosya{6, "Belgeler/kok.txt", 10, 1700000001}));
    EXPECT_EQ(o.silinen[2].boy, 7.0);  // the link itself, not the file it points to
    EXPECT_EQ(o.silinenBayt, 100 + 1 + 7 + 7 + 50 + 50 + 10 + 4);

    auto klasorler = o.silinenKlasor;
    std::sort(klasorler.begin(), klasorler.end());
    EXPECT_EQ(klasorler, (std::vector<std::string>{"Belgeler/a/b", "Belgeler/a/b/c", "Belgeler/a/b/c/d",
                                                   "Belgeler/a/b/c/d/e", "Belgeler/eski"}));
    // Ties by size; depth 6 counts under its first four components.
    EXPECT_EQ(o.enCok,
              (std::vector<EnCok>{
                  {"Belgeler", 3, 21}, {"Belgeler/a/b/c", 2, 101}, {"Belgeler/iki", 2, 100}, {"Belgeler/eski", 1, 7}}));
    EXPECT_EQ(o.yeni, 1);
    EXPECT_EQ(o.degisen, 1);
    EXPECT_EQ(o.aktarilacakBayt, 11 + 5);
    EXPECT_FALSE(o.esik);  // 8 files, 229 bytes: under the defaults

    struct Esik { int64_t dosya; double bayt; bool esik; };
    for (auto e : std::vector<Esik>{{8, 1e9, false}, {7, 1e9, true}, {100, 229, false}, {100, 228, true}}) {
        a.silmeEsigiDosya = e.dosya;
        a.silmeEsigiBayt = e.bayt;
        EXPECT_EQ(Yedekleme::ozetCikar(a, onceki).esik, e.esik) << e.dosya << " " << e.bayt;
    }
    EXPECT_NE(gunluk().find("Check took 0 s: 8 deleted (229 bytes), 1 changed, 1 new\n"), std::string::npos);
}

TEST(DegisiklikBul, MissingSourceOrFailedDryRunEndsTheCheck) {
    dosya(kaynak("Belgeler") + "/a", "a");
    Ayarlar a = ayarlar({"Belgeler"});
    a.kaynaklar.push_back("/yok/Resimler");
    auto d = Yedekleme::degisiklikBul(a, false);
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(d.hata->baslik, "A folder to back up was not found: Resimler");
    EXPECT_EQ(YedekSonucu::oku(), d.hata);
    EXPECT_FALSE(fs::exists(Yedekleme::ozetYolu()));
    EXPECT_NE(gunluk().find("ERROR: source missing: /yok/Resimler\n"), std::string::npos);

    SahteArac rsync(TestOrtami::araclar(), "rsync");
    rsync.betik("echo 'rsync: [Receiver] change_dir \"/x\" failed: No such file or directory (2)' >&2").cevap("", 23);
    d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), false);
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(d.hata->tur, "sorun");
    EXPECT_EQ(d.hata->baslik, "The backup could not start");
    EXPECT_EQ(d.hata->teknik, "rsync: [Receiver] change_dir \"/x\" failed: No such file or directory (2)\n");
    EXPECT_EQ(YedekSonucu::oku(), d.hata);
    EXPECT_NE(gunluk().find("ERROR: dry run: rsync: [Receiver] change_dir"), std::string::npos);
}

TEST(OzetCikar, DeletedPathsNeverLeadOutsideTheCopyOfTheirSource) {
    dosya(TestOrtami::kok() + "/dis/gizli", std::string(1234, 'g'));
    dosya(oncekiYol("Diger/f"), std::string(77, 'f'));
    dosya(oncekiYol("Belgeler/ic"), "ic");
    TestOrtami::dosyaYaz(Yol::isKlasoru() + "/prova-0.txt",
                         "*deleting   ../../../../../../dis/gizli\n*deleting   ../Diger/f\n*deleting   ic\n"
                         "*deleting   alt/../ic\nsending incremental file list\n");
    Ozet o = Yedekleme::ozetCikar(ayarlar({"Belgeler"}), onceki);
    ASSERT_EQ(o.silinen.size(), 4u);
    for (const auto& s : o.silinen)
        EXPECT_EQ(s.boy, s.yol == "Belgeler/ic" || s.yol == "Belgeler/alt/../ic" ? 2 : 0) << s.yol;
    EXPECT_EQ(o.silinenBayt, 4.0);
    EXPECT_EQ(o.oge, 0);
}

TEST(DegisiklikBul, SourceWhoseNameWouldLeaveItsFolderIsRefused) {
    dosya(kaynak("Belgeler") + "/a", "a");
    dosya(Yol::yedekler() + "/" + onceki + "/Belgeler/a", "a");
    for (const std::string& yol : {kaynak("Belgeler") + "/..", kaynak("Belgeler") + "/.", std::string("/")}) {
        Ayarlar a;
        a.kaynaklar = {yol};
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        auto d = Yedekleme::degisiklikBul(a, false);
        ASSERT_TRUE(d.hata) << yol;
        EXPECT_EQ(d.hata->baslik, "The backup could not start");
        EXPECT_TRUE(rsync.cagrilar().empty()) << yol;
        auto e = Yedekleme::esitle(a, Ozet{}, onceki, {});
        EXPECT_EQ(e.kod, 1);
        EXPECT_TRUE(rsync.cagrilar().empty()) << yol;
    }
    EXPECT_TRUE(fs::exists(Yol::yedekler() + "/" + onceki + "/Belgeler/a"));
    EXPECT_NE(gunluk().find("ERROR: source name not usable: /\n"), std::string::npos);
}

TEST(DegisiklikBul, APathBeyondTheLimitKeepsItsCauseInTheTechnicalText) {
    std::string k = kaynak("Belgeler");
    fs::create_directories(k);
    // Made one folder at a time: the whole path is longer than a call takes.
    int fd = ::open(k.c_str(), O_RDONLY | O_DIRECTORY);
    for (size_t boy = k.size(); boy < 4200; boy += 241) {
        std::string ad(240, 'd');
        ASSERT_EQ(::mkdirat(fd, ad.c_str(), 0755), 0);
        int alt = ::openat(fd, ad.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = alt;
    }
    ::close(::openat(fd, "f.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    auto d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), false);
    komut("/bin/rm", {"-rf", k});
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(d.hata->baslik, "The backup could not start");
    EXPECT_NE(d.hata->teknik.find("filename overflows max-path len"), std::string::npos) << d.hata->teknik;
    EXPECT_NE(d.hata->teknik.find("(code 23)"), std::string::npos) << d.hata->teknik;
    EXPECT_NE(gunluk().find("ERROR: dry run: filename overflows max-path len"), std::string::npos);
}

// A source holding the image's mount point (a home folder holds the state
// folder) is backed up without it.
TEST(DegisiklikBul, SourceHoldingTheBackupDiskOrTheImageIsRefused) {
    Ayarlar bos;
    std::string disk = TestOrtami::kok() + "/disk";
    std::string imaj = disk + "/" + bos.imajAdi;
    dosya(imaj + "/gocryptfs.conf", "{}");
    dosya(disk + "/Fotograflar/a.jpg", "a");
    dosya(disk + "2/b", "b");
    fs::create_directories(Yol::yedekler());
    fs::create_directory_symlink(disk, TestOrtami::kok() + "/diske-bag");
    struct Durum { std::string kaynak, baslikAdi; };  // baslikAdi empty: the folder is allowed
    std::vector<Durum> durumlar = {
        {disk, "disk"},
        {disk + "/", "disk"},
        {TestOrtami::kok() + "/diske-bag", "diske-bag"},
        {TestOrtami::kok(), fs::path(TestOrtami::kok()).filename().string()},
        {imaj, bos.imajAdi},
        {Yol::durum(), ""},
        {Yol::yedekler(), "yedekler"},
        {disk + "/Fotograflar", ""},
        {disk + "2", ""},
    };
    for (const auto& d : durumlar) {
        Ayarlar a;
        a.kaynaklar = {d.kaynak};
        SahteArac rsync = rsyncKaydet();
        auto sonuc = Yedekleme::degisiklikBul(a, false, disk);
        if (d.baslikAdi.empty()) {
            EXPECT_FALSE(sonuc.hata) << d.kaynak;
            ASSERT_EQ(rsync.cagrilar().size(), 1u) << d.kaynak;
            auto args = rsync.cagrilar()[0].args;
            bool mntHaric = std::find(args.begin(), args.end(), "--exclude=/imaj/") != args.end();
            EXPECT_EQ(mntHaric, d.kaynak == Yol::durum()) << d.kaynak;
            continue;
        }
        ASSERT_TRUE(sonuc.hata) << d.kaynak;
        EXPECT_EQ(sonuc.hata->tur, "dikkat");
        EXPECT_EQ(sonuc.hata->baslik, "A folder to back up contains the backup disk: " + d.baslikAdi);
        EXPECT_EQ(sonuc.hata->aciklama, "No backup was made.");
        EXPECT_EQ(sonuc.hata->oneri,
                  "Remove it in Settings > Folders and choose a folder that does not contain the backup disk.");
        EXPECT_EQ(YedekSonucu::oku(), sonuc.hata);
        EXPECT_TRUE(rsync.cagrilar().empty()) << d.kaynak;
        EXPECT_NE(gunluk().find("ERROR: source contains the backup disk: " + d.kaynak + "\n"), std::string::npos);
    }
}
