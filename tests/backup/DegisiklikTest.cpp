#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>

#include "backup/Degisiklik.hpp"
#include "backup/Esitleme.hpp"
#include "core/Komut.hpp"
#include "tests/backup/YedekOrtami.hpp"

namespace fs = std::filesystem;
using namespace YedekOrtami;

namespace {

using Adlar = std::vector<std::string>;
constexpr auto yok = std::string::npos;
const std::string onceki = "2026-01-01_000000";

std::string oncekiYol(const std::string& rel) { return Yol::yedekler() + "/" + onceki + "/" + rel; }

// Writes each file under `kok`.
void dosyalar(const std::string& kok, const std::map<std::string, std::string>& icerikler) {
    for (const auto& [rel, icerik] : icerikler) dosya(kok + "/" + rel, icerik);
}

}  // namespace

TEST(DegisiklikBul, FirstBackupCountsEveryFileAsNewWhateverItsName) {
    // Spaces, " -> ", non-ASCII letters and a newline; escaped by the tool
    // differently under each locale.
    dosyalar(kaynak("Belgeler"), {{"a.txt", "aaa"}, {"alt/b.txt", "bbbbb"}, {"sp ace", "ss"}, {"a -> b", "dddd"},
                                  {"\u00e7ay", "c"}, {"yeni\nsat\u0131r", "yyyyyy"}, {"haric.tmp", "excluded"}});
    fs::create_symlink("a.txt", kaynak("Belgeler/l -> x"));
    for (const char* yerel : {"C.UTF-8", "C"}) {
        SCOPED_TRACE(yerel);
        setenv("LC_ALL", yerel, 1);
        SahteArac rsync = rsyncKaydet();
        auto d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), true);
        unsetenv("LC_ALL");
        ASSERT_FALSE(d.hata);
        const Ozet& o = d.ozet;
        EXPECT_GE(o.oge, 8);  // six files, a link, a folder
        EXPECT_EQ(std::tuple(d.son, o.yeni, o.degisen, o.aktarilacakBayt, o.silinen.size(), o.hazirBayt, o.elle),
                  std::tuple(std::nullopt, 6, 0, 21.0, 0u, std::nullopt, true));
        EXPECT_EQ(jsonOku<Ozet>(Yedekleme::ozetYolu()), d.ozet);
        auto j = nlohmann::json::parse(*oku(Yedekleme::ozetYolu()));
        EXPECT_FALSE(j.contains("sonYedek") || j.contains("hazirBayt")) << j;
        EXPECT_EQ(rsync.cagrilar().size(), 1u);
        EXPECT_EQ(oku(Yol::isKlasoru() + "/haric.txt"), ".DS_Store\n*.tmp\n");
    }
    EXPECT_NE(gunluk().find("Check took 0 s: 0 deleted (Zero KB), 0 changed, 6 new\n"), yok);
}

TEST(DegisiklikBul, SummaryOfDeletedChangedAndNewFiles) {
    dosyalar(kaynak("Belgeler"), {{"kalan.txt", "kalan"}, {"degisen.txt", "yeni icerik"}, {"yeni.txt", "yeni!"},
                                  {"a/kalan", "k"}, {"iki/kalan", "k"}});
    fs::create_symlink("kalan.txt", kaynak("Belgeler/yeni-bag"));
    dosyalar(oncekiYol("Belgeler"),
             {{"kalan.txt", "kalan"}, {"degisen.txt", "eski"}, {"a/kalan", "k"}, {"iki/kalan", "k"},
              {"x -> y.txt", "xxxx"}, {"a/b/c/d/e/derin.txt", std::string(100, 'd')}, {"a/b/c/x.txt", "x"},
              {"iki/1", std::string(50, '1')}, {"iki/2", std::string(50, '2')}, {"eski/f", "fffffff"}});
    dosya(oncekiYol("Belgeler/kok.txt"), std::string(10, 'k'), 1700000001);
    fs::create_symlink("kok.txt", oncekiYol("Belgeler/bag"));

    Ayarlar a = ayarlar({"Belgeler"});
    auto d = Yedekleme::degisiklikBul(a, false);
    ASSERT_FALSE(d.hata);
    const Ozet& o = d.ozet;
    EXPECT_EQ(std::tuple(d.son, o.sonYedek), std::tuple(onceki, onceki));
    const double t = 1700000000;
    // In path order, numbered; the link counts itself, not the file it points to.
    const std::vector<SilinenDosya> silinen = {
        {0, "Belgeler/a/b/c/d/e/derin.txt", 100, t}, {1, "Belgeler/a/b/c/x.txt", 1, t},
        {2, "Belgeler/bag", 7, o.silinen.size() > 2 ? o.silinen[2].zaman : 0}, {3, "Belgeler/eski/f", 7, t},
        {4, "Belgeler/iki/1", 50, t}, {5, "Belgeler/iki/2", 50, t}, {6, "Belgeler/kok.txt", 10, t + 1},
        {7, "Belgeler/x -> y.txt", 4, t}};
    EXPECT_EQ(o.silinen, silinen);
    EXPECT_EQ(o.silinenBayt, 100 + 1 + 7 + 7 + 50 + 50 + 10 + 4);
    auto klasorler = o.silinenKlasor;
    std::sort(klasorler.begin(), klasorler.end());
    EXPECT_EQ(klasorler, (Adlar{"Belgeler/a/b", "Belgeler/a/b/c", "Belgeler/a/b/c/d", "Belgeler/a/b/c/d/e",
                                "Belgeler/eski"}));
    // Ties by size; depth 6 counts under its first four components.
    EXPECT_EQ(o.enCok, (std::vector<EnCok>{{"Belgeler", 3, 21}, {"Belgeler/a/b/c", 2, 101}, {"Belgeler/iki", 2, 100},
                                           {"Belgeler/eski", 1, 7}}));
    // 8 files, 229 bytes: under the thresholds by default.
    EXPECT_EQ(std::tuple(o.yeni, o.degisen, o.aktarilacakBayt, o.esik), std::tuple(1, 1, 11.0 + 5, false));

    struct Esik { int64_t dosya; double bayt; bool esik; };
    for (auto e : {Esik{8, 1e9, false}, Esik{7, 1e9, true}, Esik{100, 229, false}, Esik{100, 228, true}}) {
        a.silmeEsigiDosya = e.dosya;
        a.silmeEsigiBayt = e.bayt;
        EXPECT_EQ(Yedekleme::ozetCikar(a, onceki).esik, e.esik) << e.dosya << " " << e.bayt;
    }
    EXPECT_NE(gunluk().find("Check took 0 s: 8 deleted (229 bytes), 1 changed, 1 new\n"), yok);
}

TEST(DegisiklikBul, MissingSourceOrFailedDryRunEndsTheCheck) {
    dosya(kaynak("Belgeler/a"), "a");
    Ayarlar a = ayarlar({"Belgeler"});
    a.kaynaklar.push_back("/yok/Resimler/");
    auto d = Yedekleme::degisiklikBul(a, false);
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(d.hata->baslik, "A folder to back up was not found: Resimler");
    EXPECT_EQ(YedekSonucu::oku(), d.hata);
    EXPECT_FALSE(fs::exists(Yedekleme::ozetYolu()));
    EXPECT_NE(gunluk().find("ERROR: source missing: /yok/Resimler/\n"), yok);

    const std::string satir = "rsync: [Receiver] change_dir \"/x\" failed: No such file or directory (2)\n";
    SahteArac(TestOrtami::araclar(), "rsync").betik("printf '%s' '" + satir + "' >&2").cevap("", 23);
    d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), false);
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(std::tuple(d.hata->tur, d.hata->baslik, d.hata->teknik),
              std::tuple("sorun", "The backup could not start", satir));
    EXPECT_EQ(YedekSonucu::oku(), d.hata);
    EXPECT_NE(gunluk().find("ERROR: dry run: rsync: [Receiver] change_dir"), yok);
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
    dosya(kaynak("Belgeler/a"), "a");
    dosya(oncekiYol("Belgeler/a"), "a");
    for (const std::string& yol : {kaynak("Belgeler") + "/..", kaynak("Belgeler") + "/.", std::string("/")}) {
        SCOPED_TRACE(yol);
        Ayarlar a;
        a.kaynaklar = {yol};
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        auto d = Yedekleme::degisiklikBul(a, false);
        ASSERT_TRUE(d.hata);
        EXPECT_EQ(d.hata->baslik, "The backup could not start");
        EXPECT_EQ(Yedekleme::esitle(a, Ozet{}, onceki, {}).kod, 1);
        EXPECT_TRUE(rsync.cagrilar().empty());
    }
    EXPECT_TRUE(fs::exists(oncekiYol("Belgeler/a")));
    EXPECT_NE(gunluk().find("ERROR: source name not usable: /\n"), yok);
}

TEST(DegisiklikBul, APathBeyondTheLimitKeepsItsCauseInTheTechnicalText) {
    std::string k = kaynak("Belgeler");
    fs::create_directories(k);
    // Made one folder at a time: the whole path is longer than a call takes.
    Fd fd(::open(k.c_str(), O_RDONLY | O_DIRECTORY));
    for (size_t boy = k.size(); boy < 4200; boy += 241) {
        std::string ad(240, 'd');
        ASSERT_EQ(::mkdirat(fd.get(), ad.c_str(), 0755), 0);
        fd = Fd(::openat(fd.get(), ad.c_str(), O_RDONLY | O_DIRECTORY));
    }
    Fd(::openat(fd.get(), "f.txt", O_WRONLY | O_CREAT, 0644));
    auto d = Yedekleme::degisiklikBul(ayarlar({"Belgeler"}), false);
    komut("/bin/rm", {"-rf", k});
    ASSERT_TRUE(d.hata);
    EXPECT_EQ(d.hata->baslik, "The backup could not start");
    for (const char* parca : {"filename overflows max-path len", "(code 23)"})
        EXPECT_NE(d.hata->teknik.find(parca), yok) << d.hata->teknik;
    EXPECT_NE(gunluk().find("ERROR: dry run: filename overflows max-path len"), yok);
}

// A source holding the image's mount point (a home folder holds the state
// folder) is backed up without it.
TEST(DegisiklikBul, SourceHoldingTheBackupDiskOrTheImageIsRefused) {
    Ayarlar bos;
    std::string disk = TestOrtami::kok() + "/disk", bag = TestOrtami::kok() + "/diske-bag";
    std::string imaj = disk + "/" + bos.imajAdi;
    dosyalar(disk, {{bos.imajAdi + "/gocryptfs.conf", "{}"}, {"Fotograflar/a.jpg", "a"}});
    dosya(disk + "2/b", "b");
    fs::create_directories(Yol::yedekler());
    fs::create_directory_symlink(disk, bag);
    const std::string oneri =
        "Remove it in Settings > Folders and choose a folder that does not contain the backup disk.";
    struct Durum { std::string kaynak, baslikAdi; };  // baslikAdi empty: the folder is allowed
    const Durum durumlar[] = {
        {disk, "disk"}, {disk + "/", "disk"}, {bag, "diske-bag"},
        {TestOrtami::kok(), fs::path(TestOrtami::kok()).filename().string()},
        {imaj, bos.imajAdi}, {Yol::durum(), ""}, {Yol::yedekler(), "yedekler"}, {disk + "/Fotograflar", ""},
        {disk + "2", ""},
    };
    for (const auto& d : durumlar) {
        SCOPED_TRACE(d.kaynak);
        Ayarlar a;
        a.kaynaklar = {d.kaynak};
        SahteArac rsync = rsyncKaydet();
        auto sonuc = Yedekleme::degisiklikBul(a, false, disk);
        auto cagrilar = rsync.cagrilar();
        if (d.baslikAdi.empty()) {
            EXPECT_FALSE(sonuc.hata);
            ASSERT_EQ(cagrilar.size(), 1u);
            auto& args = cagrilar[0].args;
            EXPECT_EQ(std::find(args.begin(), args.end(), "--exclude=/imaj/") != args.end(), d.kaynak == Yol::durum());
            continue;
        }
        ASSERT_TRUE(sonuc.hata);
        const auto& h = *sonuc.hata;
        EXPECT_EQ(std::tuple(h.tur, h.baslik, h.aciklama, h.oneri),
                  std::tuple("dikkat", "A folder to back up contains the backup disk: " + d.baslikAdi,
                             "No backup was made.", oneri));
        EXPECT_EQ(YedekSonucu::oku(), sonuc.hata);
        EXPECT_TRUE(cagrilar.empty());
        EXPECT_NE(gunluk().find("ERROR: source contains the backup disk: " + d.kaynak + "\n"), yok);
    }
}
