#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <openssl/sha.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "store/BuyukDosyalar.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using namespace BuyukDosyalar;
using TestOrtami::durum;

namespace {

const Durdu hic = [] { return false; };
constexpr off_t GiB = 1073741824;

// The digest by another hand than the one under test.
std::string sha(const std::string& veri) {
    unsigned char md[32];
    SHA256(reinterpret_cast<const unsigned char*>(veri.data()), veri.size(), md);
    char hex[65];
    for (int i = 0; i < 32; ++i) std::snprintf(hex + 2 * i, 3, "%02x", md[i]);
    return hex;
}

// A pseudo-random body so that chunks differ.
std::string govde(size_t boy, unsigned tohum) {
    std::mt19937 uretec(tohum);
    std::string s(boy, '\0');
    for (auto& c : s) c = static_cast<char>(uretec());
    return s;
}

// Writes `yol` with `veri`, and its modification time when given.
void yaz(const std::string& yol, const std::string& veri, time_t saniye = 0, long nano = 0) {
    TestOrtami::dosyaYaz(yol, veri);
    struct timespec z[2] = {{saniye - 100, 0}, {saniye, nano}};
    if (saniye) {
        ASSERT_EQ(::utimensat(AT_FDCWD, yol.c_str(), z, AT_SYMLINK_NOFOLLOW), 0);
    }
}

// Copied, linked, bytes: what a transfer did, in one comparable value.
using Sayim = std::tuple<int64_t, int64_t, double>;
Sayim sayim(const Aktarim& s) { return {s.kopyalanan, s.bagli, s.bayt}; }

// The store of a run: one source "Filmler", its previous copy and the
// unfinished copy.
struct Depo {
    std::string kaynak = TestOrtami::kok() + "/Filmler";
    std::string son = "2026-12-05_091200";
    std::string onceki = Yol::yedekler() + "/" + son + "/Filmler";
    std::string devam = Yol::devam() + "/Filmler";
    Depo() {
        std::error_code ec;
        fs::remove_all(Yol::mnt(), ec);
        fs::remove_all(kaynak, ec);
        fs::create_directories(kaynak);
        setenv("BRIMVALE_BUYUK_ESIK", "1000", 1);
    }
    Aday aday(const std::string& yol, bool yalnizTarih = false) {
        std::string o = onceki + "/" + yol;
        return {"Filmler/" + yol, kaynak + "/" + yol, devam + "/" + yol,
                fs::exists(o) ? std::optional(o) : std::nullopt, yalnizTarih,
                static_cast<double>(fs::file_size(kaynak + "/" + yol))};
    }
};

}  // namespace

TEST(BuyukDosyalar, ThresholdFromTheEnvironment) {
    unsetenv("BRIMVALE_BUYUK_ESIK");
    EXPECT_EQ(esik(), GiB);
    for (auto [deger, esik_] : std::vector<std::pair<const char*, double>>{
             {"2048", 2048}, {"1e3", 1000}, {"0.5", 0.5}, {"abc", GiB}, {"12abc", GiB}, {"", GiB}, {" 5", GiB},
             {"nan", GiB}, {"inf", GiB}}) {
        setenv("BRIMVALE_BUYUK_ESIK", deger, 1);
        EXPECT_EQ(esik(), esik_) << deger;
    }
    EXPECT_EQ(geciciAd("/a/Movies/film.mov"), "/a/Movies/.brimvale-film.mov");
}

TEST(BuyukDosyalar, CandidatesFromTheChangeListing) {
    Depo d;
    unsetenv("BRIMVALE_BUYUK_ESIK");
    for (auto [ad, boy] : std::vector<std::pair<std::string, off_t>>{
             {"tam", GiB}, {"eksik", GiB - 1}, {"yeni", GiB}, {"tarih", GiB}, {"klasor\001x", GiB}}) {
        int fd = ::open((d.kaynak + "/" + ad).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);  // sparse
        ASSERT_EQ(::ftruncate(fd, boy), 0);
        ::close(fd);
    }
    fs::create_symlink(d.kaynak + "/tam", d.kaynak + "/bag");
    for (auto ad : {"tam", "yeni", "tarih"}) yaz(d.onceki + "/" + ad, "eski");
    yaz(TestOrtami::kok() + "/disari", "x");
    yaz(Yol::isKlasoru() + "/prova-0.txt",
        "*deleting   tam\n>f.st...... tam\n>f+++++++++ eksik\n>f+++++++++ yeni\n>f..t...... tarih\n"
        ">f+++++++++ klasor\\#001x\ncL+++++++++ bag -> tam\n>f+++++++++ bag\n>f+++++++++ ../disari\n"
        ">f+++++++++ yok\ncd+++++++++ d/\n");
    Ayarlar a;
    a.kaynaklar = {d.kaynak};
    EXPECT_EQ(BuyukDosyalar::adaylar(a, d.son),
              (std::vector<Aday>{{"Filmler/tam", d.kaynak + "/tam", d.devam + "/tam", d.onceki + "/tam", false, GiB},
                                 d.aday("yeni"), d.aday("tarih", true), d.aday("klasor\001x")}));
    // Without a previous copy nothing is "only a new date".
    for (const auto& x : BuyukDosyalar::adaylar(a, std::nullopt)) EXPECT_FALSE(x.onceki || x.yalnizTarih) << x.rel;
}

TEST(BuyukDosyalar, CopyIsCompleteBeforeItHasItsNameAndASecondRunDoesNothing) {
    Depo d;
    std::string veri = govde(Sha256::kParca * 2 + 12345, 1);
    yaz(d.kaynak + "/a.mov", veri, 1700000000, 123456789);
    ::chmod((d.kaynak + "/a.mov").c_str(), 0640);
    yaz(BuyukDosyalar::katalogYolu(), "{not json");
    auto aday = d.aday("a.mov");
    int soru = 0;
    // Whenever the work asks whether to stop, the final name is either
    // absent or already the whole file with its mode and times.
    Durdu izle = [&] {
        ++soru;
        struct stat st{};
        if (::lstat(aday.hedef.c_str(), &st) == 0) {
            EXPECT_EQ(std::tuple(st.st_size, st.st_mode & 07777, st.st_mtim.tv_nsec),
                      std::tuple(static_cast<off_t>(veri.size()), 0640u, 123456789L));
        }
        return false;
    };
    auto s = aktar({aday}, izle);
    EXPECT_FALSE(s.hata) << *s.hata;
    EXPECT_EQ(sayim(s), Sayim(1, 0, veri.size()));
    EXPECT_GE(soru, 4);  // before each of the three chunks and at the end
    EXPECT_EQ(baytlariOku(aday.hedef), veri);
    EXPECT_FALSE(fs::exists(geciciAd(aday.hedef)));
    auto k = durum(d.kaynak + "/a.mov"), h = durum(aday.hedef);
    EXPECT_EQ(std::tuple(h.st_mode & 07777, h.st_mtim.tv_sec, h.st_mtim.tv_nsec),
              std::tuple(0640u, k.st_mtim.tv_sec, k.st_mtim.tv_nsec));
    EXPECT_EQ(katalog(), (std::map<std::string, BuyukKayit>{
                             {"Filmler/a.mov", {static_cast<double>(veri.size()), 1700000000.123456789, sha(veri)}}}));
    EXPECT_EQ(sayim(aktar({aday}, hic)), Sayim(0, 0, 0));
    EXPECT_EQ(durum(aday.hedef).st_ino, h.st_ino);
}

TEST(BuyukDosyalar, OnlyANewDateLinksEqualContentAndCopiesOtherContent) {
    Depo d;
    std::string veri = govde(5000, 2);
    for (auto [ad, eski] : {std::pair{"ayni", veri}, {"farkli", govde(5000, 3)}, {"boy", veri + "x"}}) {
        yaz(d.kaynak + "/" + ad, veri, 1700000500);
        ::chmod((d.kaynak + "/" + ad).c_str(), 0600);
        yaz(d.onceki + "/" + ad, eski, 1600000000);
    }
    auto s = aktar({d.aday("ayni", true), d.aday("farkli", true), d.aday("boy", false)}, hic);
    EXPECT_FALSE(s.hata);
    EXPECT_EQ(sayim(s), Sayim(2, 1, 10000));
    auto yeni = durum(d.devam + "/ayni"), eski = durum(d.onceki + "/ayni");
    EXPECT_EQ(std::tuple(yeni.st_ino, eski.st_mode & 07777, eski.st_mtim.tv_sec),
              std::tuple(eski.st_ino, 0600u, time_t{1700000500}));
    EXPECT_NE(durum(d.devam + "/farkli").st_ino, durum(d.onceki + "/farkli").st_ino);
    EXPECT_EQ(baytlariOku(d.devam + "/farkli"), veri);
    EXPECT_EQ(baytlariOku(d.devam + "/boy"), veri);
    EXPECT_EQ(katalog().size(), 3u);
    EXPECT_EQ(katalog()["Filmler/ayni"].sha256, sha(veri));
}

// The catalog vouches for the previous file (its digest is believed) only
// while its time is the file's.
TEST(BuyukDosyalar, CatalogSparesReadingThePreviousFile) {
    Depo d;
    std::string veri = govde(3000, 4);
    yaz(d.kaynak + "/f", veri);
    for (auto [saniye, nano, bagli] : {std::tuple(1600000000, 500000000, 1), {1600000001, 0, 0}}) {
        fs::remove_all(d.devam);
        fs::remove_all(d.onceki);
        yaz(d.onceki + "/f", govde(3000, 5), saniye, nano);
        jsonYaz(std::map<std::string, BuyukKayit>{{"Filmler/f", {3000, 1600000000.5, sha(veri)}}},
                BuyukDosyalar::katalogYolu());
        auto s = aktar({d.aday("f", true)}, hic);
        EXPECT_EQ(std::pair(s.bagli, s.kopyalanan), (std::pair<int64_t, int64_t>(bagli, 1 - bagli))) << saniye;
    }
}

TEST(BuyukDosyalar, StoppingLeavesNeitherTemporaryNorFinalFile) {
    for (int dur : {1, 2, 3, 4}) {
        Depo d;
        yaz(d.kaynak + "/a", govde(Sha256::kParca * 3, 6));
        yaz(d.kaynak + "/b", govde(2000, 7));
        int soru = 0;
        auto s = aktar({d.aday("a"), d.aday("b")}, [&] { return ++soru >= dur; });
        EXPECT_FALSE(s.hata) << dur;
        EXPECT_EQ(s.kopyalanan, 0) << dur;
        for (auto yol : {d.devam + "/a", geciciAd(d.devam + "/a"), d.devam + "/b"})
            EXPECT_FALSE(fs::exists(yol)) << dur << " " << yol;
    }
}

TEST(BuyukDosyalar, FirstErrorEndsTheTransferAndNamesTheFileTheSideAndTheSystemsWords) {
    Depo d;
    yaz(d.kaynak + "/a", govde(2000, 8));
    yaz(d.kaynak + "/c", govde(2000, 9));
    yaz(d.devam + "/engel", "");
    // A source path that reads like another error changes nothing.
    std::string garip = "vanished: Permission denied: x", c = d.devam + "/c";
    Aday yok{"Filmler/" + garip, d.kaynak + "/" + garip, d.devam + "/" + garip, std::nullopt, false, 5000};
    struct Durum { std::vector<Aday> adaylar; std::string hata, neden; bool kaynakta; int kopyalanan; };
    for (const auto& x : std::vector<Durum>{
             {{d.aday("a"), yok, d.aday("c")}, yok.rel + ": stat " + yok.kaynak + ": No such file or directory",
              "No such file or directory", true, 1},
             // A folder in the way of the target cannot be made.
             {{{"Filmler/engel/x", d.kaynak + "/c", d.devam + "/engel/x", std::nullopt, false, 2000}},
              "Filmler/engel/x: mkdir " + d.devam + "/engel: Not a directory", "Not a directory", false, 0},
             {{{"Filmler/c", d.kaynak + "/c", c, d.kaynak + "/yok", true, 2000}}, "", "No such file or directory",
              false, 0}}) {
        auto s = aktar(x.adaylar, hic);
        ASSERT_TRUE(s.hata) << x.neden;
        EXPECT_TRUE(x.hata.empty() || *s.hata == x.hata) << *s.hata;
        EXPECT_EQ(std::tuple(s.hataAdi, s.kopyalanan, s.hataNedeni, s.kaynakta),
                  std::tuple(x.adaylar[x.kopyalanan].rel, int64_t{x.kopyalanan}, x.neden, x.kaynakta))
            << *s.hata;
    }
    // Only the file before the failed one was copied.
    EXPECT_TRUE(fs::exists(d.devam + "/a"));
    EXPECT_FALSE(fs::exists(c));
    EXPECT_EQ(katalog().size(), 1u);
}

TEST(BuyukDosyalar, LeftoversThatNoLongerMatchAreRemoved) {
    Depo d;
    yaz(d.kaynak + "/bitmis", govde(2000, 10));
    yaz(d.kaynak + "/bayat", govde(2000, 11));
    auto bitmis = d.aday("bitmis"), bayat = d.aday("bayat");
    ASSERT_EQ(aktar({bitmis}, hic).kopyalanan, 1);
    yaz(bayat.hedef, "half");
    yaz(geciciAd(bitmis.hedef), "half");
    bayatlariTemizle({bitmis, bayat});
    EXPECT_TRUE(fs::exists(bitmis.hedef));
    EXPECT_FALSE(fs::exists(geciciAd(bitmis.hedef)) || fs::exists(bayat.hedef));
    EXPECT_NE(TestOrtami::gunluk().find("Large file: unfinished copy removed: Filmler/bayat\n"), std::string::npos);
    EXPECT_EQ(TestOrtami::gunluk().find("Filmler/bitmis"), std::string::npos);
}

// The streaming digest at the chunk edges, alone and as --ozet prints it.
TEST(BuyukDosyalar, DigestAndItsErrors) {
    std::string yol = TestOrtami::kok() + "/dosya ş", yok = TestOrtami::kok() + "/yok";
    for (size_t boy : {size_t{0}, size_t{1}, Sha256::kParca - 1, Sha256::kParca, Sha256::kParca + 1, size_t{9 << 20}}) {
        std::string veri = govde(boy, 12);
        yaz(yol, veri);
        EXPECT_EQ(Sha256::digest(yol, hic), sha(veri)) << boy;
    }
    auto c = TestOrtami::calistir({"--ozet", yol});
    EXPECT_EQ(std::pair(c.kod, c.cikti), std::pair(0, sha(govde(9 << 20, 12)) + "\n"));
    EXPECT_TRUE(ayni(yol, yol));
    EXPECT_FALSE(ayni(yol, yok));
    c = TestOrtami::calistir({"--ozet", yok});
    EXPECT_EQ(std::tuple(c.kod, c.cikti, c.hata), std::tuple(1, "", "open " + yok + ": No such file or directory\n"));
}

// A file with only a new date whose previous copy is at ext4's link limit
// (65,000) cannot be linked once more: it is copied, and that is no error.
TEST(BuyukDosyalar, AFileAtTheLinkLimitIsCopiedInstead) {
    Depo d;
    std::unique_ptr<DenemeDiski> disk;
    std::string kok = TestOrtami::kok() + "/sinir";
    fs::create_directories(kok + "/baglar");
    struct statfs sf{};
    if (::statfs(kok.c_str(), &sf) != 0 || sf.f_type != EXT4_SUPER_MAGIC) {
        if (auto e = DenemeDiski::eksik(); !e.empty()) GTEST_SKIP() << "needs an ext4 volume for its link limit: " << e;
        disk = std::make_unique<DenemeDiski>("BRIMLINK", 64);
        kok = disk->yol;
        fs::create_directories(kok + "/baglar");
    }
    std::string veri = govde(5000, 13);
    yaz(d.kaynak + "/film", veri, 1700000500);
    Aday a{"Filmler/film", d.kaynak + "/film", kok + "/devam/Filmler/film", kok + "/onceki/Filmler/film", true, 5000};
    yaz(*a.onceki, veri, 1600000000);
    for (int i = 0; ::link(a.onceki->c_str(), (kok + "/baglar/" + std::to_string(i)).c_str()) == 0; ++i) {}
    ASSERT_EQ(errno, EMLINK) << std::strerror(errno);
    ASSERT_EQ(durum(*a.onceki).st_nlink, 65000u);

    auto s = aktar({a}, hic);
    EXPECT_FALSE(s.hata) << *s.hata;
    EXPECT_EQ(sayim(s), Sayim(1, 0, 5000));
    EXPECT_EQ(baytlariOku(a.hedef), veri);
    auto h = durum(a.hedef);
    EXPECT_NE(h.st_ino, durum(*a.onceki).st_ino);
    EXPECT_EQ(h.st_mtim.tv_sec, 1700000500);
    EXPECT_EQ(katalog()["Filmler/film"].sha256, sha(veri));
    std::error_code ec;
    fs::remove_all(kok + "/baglar", ec);
}
