#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "tests/store/SaatDilimi.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Adlar = std::vector<std::string>;

TEST(Budama, KeptCopiesInEveryZone) {
    struct Durum {
        const char* ne;
        Adlar adlar;
        Saklama saklama;
        Adlar tutulan;
    };
    Adlar ucSaat = {"2026-12-05_100500", "2026-12-05_104000", "2026-12-05_111000"};
    std::vector<Durum> durumlar = {
        {"nothing", {}, {1, 1, 1, 1, 1}, {}},
        {"one of each", ucSaat, {1, 1, 1, 1, 1}, {"2026-12-05_111000"}},
        {"two hours", ucSaat, {2, 0, 0, 0, 0}, {"2026-12-05_104000", "2026-12-05_111000"}},
        {"every hour", ucSaat, {0, 0, 0, 0, 0}, {"2026-12-05_104000", "2026-12-05_111000"}},
        {"negative is every", ucSaat, {-3, 1, 1, 1, 1}, {"2026-12-05_104000", "2026-12-05_111000"}},
        {"ISO week over new year", {"2025-12-29_120000", "2026-01-02_120000"}, {1, 1, 2, 1, 1}, {"2026-01-02_120000"}},
        {"calendar years differ", {"2025-12-29_120000", "2026-01-02_120000"}, {1, 1, 1, 1, 2},
         {"2025-12-29_120000", "2026-01-02_120000"}},
        {"empty days are not counted", {"2026-03-01_120000", "2026-03-10_120000", "2026-03-20_120000"},
         {1, 3, 1, 1, 1}, {"2026-03-01_120000", "2026-03-10_120000", "2026-03-20_120000"}},
        {"the newest of a day", {"2026-03-01_080000", "2026-03-01_200000", "2026-03-02_010000"}, {1, 2, 1, 1, 1},
         {"2026-03-01_200000", "2026-03-02_010000"}},
        {"weeks: Sunday and Monday part", {"2026-03-01_120000", "2026-03-02_120000", "2026-03-08_120000"},
         {1, 1, 2, 1, 1}, {"2026-03-01_120000", "2026-03-08_120000"}},
        {"months and years", {"2024-05-01_000000", "2025-01-31_000000", "2025-02-01_000000", "2026-01-01_000000"},
         {1, 1, 1, 3, 0}, {"2024-05-01_000000", "2025-01-31_000000", "2025-02-01_000000", "2026-01-01_000000"}},
        {"input order does not matter", {"2026-12-05_111000", "2026-12-05_100500", "2026-12-05_104000"},
         {2, 0, 0, 0, 0}, {"2026-12-05_104000", "2026-12-05_111000"}},
        {"names that are not copies", {".devam", "2026-12-05_111000-old", "2026-02-30_120000", "x", "2026-12-05_100500"},
         {0, 0, 0, 0, 0}, {"2026-12-05_100500"}},
        {"only non-copies", {".devam", "notes.txt"}, {0, 0, 0, 0, 0}, {}},
    };
    for (const auto& tz : saatDilimleri()) {
        saatDilimiKur(tz);
        for (const auto& d : durumlar) {
            auto tut = Kopyalar::tutulacaklar(d.adlar, d.saklama);
            EXPECT_EQ(Adlar(tut.begin(), tut.end()), d.tutulan) << tz << ": " << d.ne;
        }
    }
}

// The week buckets agree with the C library's ISO 8601 week for every day of
// several years, leap years and 53-week years included.
TEST(Budama, WeekBucketsAreIsoWeeks) {
    saatDilimiKur("UTC");
    time_t t = 1420070400;  // 2015-01-01
    for (int gun = 0; gun < 365 * 12; ++gun, t += 86400) {
        time_t t2 = t + 86400;
        std::tm tm{}, tm2{};
        gmtime_r(&t, &tm);
        gmtime_r(&t2, &tm2);
        char bugun[32], yarin[32], ad[32], adYarin[32];
        strftime(bugun, sizeof bugun, "%G-%V", &tm);
        strftime(yarin, sizeof yarin, "%G-%V", &tm2);
        strftime(ad, sizeof ad, "%Y-%m-%d_120000", &tm);
        strftime(adYarin, sizeof adYarin, "%Y-%m-%d_120000", &tm2);
        // Only the weekly count reaches a second bucket.
        auto tut = Kopyalar::tutulacaklar({ad, adYarin}, {1, 1, 2, 1, 1});
        EXPECT_EQ(tut.size(), std::string(bugun) == yarin ? 1u : 2u) << ad;
    }
}

namespace {
// A fresh image folder, also when the whole program runs in one process.
void imajiBosalt() {
    std::error_code ec;
    fs::remove_all(Yol::mnt(), ec);
}
void kopyaYap(const std::string& ad, const std::string& icerik = "veri") {
    TestOrtami::dosyaYaz(Yol::yedekler() + "/" + ad + "/Belgeler/a/b.txt", icerik);
    TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/" + ad + ".json", "{\"ad\":\"" + ad + "\"}");
}
}  // namespace

TEST(Budama, DeleteRefusesEverythingButACopyName) {
    imajiBosalt();
    saatDilimiKur("UTC");
    fs::create_directories(Yol::yedekler() + "/sub");
    for (std::string ad : {"..", "", ".", "sub", "2026-12-05_091200/../..", "../2026-12-05_091200",
                           "2026-12-05_091200/x", "/etc", "2026-02-30_120000"}) {
        try {
            Kopyalar::sil(ad);
            ADD_FAILURE() << "not refused: " << ad;
        } catch (const BrimvaleHatasi& e) {
            EXPECT_EQ(e.kod, 1);
            EXPECT_EQ(std::string(e.what()), "refused to delete " + ad);
        }
    }
    EXPECT_TRUE(fs::exists(Yol::yedekler() + "/sub"));
}

TEST(Budama, DeleteOpensReadOnlyFoldersAndSparesHardLinkedCopies) {
    imajiBosalt();
    saatDilimiKur("UTC");
    kopyaYap("2026-12-05_091200");
    std::string eski = Yol::yedekler() + "/2026-12-05_091200/Belgeler";
    std::string yeni = Yol::yedekler() + "/2026-12-06_091200/Belgeler";
    fs::create_directories(yeni + "/a");
    fs::create_hard_link(eski + "/a/b.txt", yeni + "/a/b.txt");
    ::chmod((eski + "/a/b.txt").c_str(), 0444);
    for (auto k : {eski + "/a", eski, Yol::yedekler() + "/2026-12-05_091200"}) ::chmod(k.c_str(), 0555);
    ::mkdir((eski + "/kapali").c_str(), 0000);
    // A link named like a copy goes as a link; its target is untouched.
    fs::create_directories(TestOrtami::kok() + "/baska");
    ::chmod((TestOrtami::kok() + "/baska").c_str(), 0500);
    fs::create_directory_symlink(TestOrtami::kok() + "/baska", Yol::yedekler() + "/2026-12-07_091200");

    Kopyalar::sil("2026-12-05_091200");
    Kopyalar::sil("2026-12-07_091200");
    EXPECT_FALSE(fs::exists(Yol::yedekler() + "/2026-12-05_091200"));
    EXPECT_FALSE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-05_091200.json"));
    EXPECT_FALSE(fs::is_symlink(Yol::yedekler() + "/2026-12-07_091200"));
    struct stat st{};
    ASSERT_EQ(::stat((yeni + "/a/b.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(oku(yeni + "/a/b.txt"), "veri");
    ASSERT_EQ(::stat((TestOrtami::kok() + "/baska").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0500u);
    // No statistics file, and the unfinished copy: both fine.
    fs::create_directories(Yol::devam() + "/x");
    Kopyalar::sil(".devam");
    Kopyalar::sil("2026-12-06_091200");
    EXPECT_TRUE(Kopyalar::liste(Yol::yedekler()).empty());
}

TEST(Budama, ThinningDeletesOnlyWhatIsNotKept) {
    imajiBosalt();
    saatDilimiKur("America/New_York");
    EXPECT_TRUE(Kopyalar::buda({1, 1, 1, 1, 1}).empty());
    for (std::string ad : {"2026-12-05_100500", "2026-12-05_104000", "2026-12-05_111000"}) kopyaYap(ad);
    fs::create_directories(Yol::devam());
    EXPECT_EQ(Kopyalar::buda({2, 0, 0, 0, 0}), Adlar{"2026-12-05_100500"});
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_104000", "2026-12-05_111000"}));
    EXPECT_TRUE(fs::exists(Yol::devam()));
}

TEST(Budama, MakingRoomStopsAtTheLastCopyAndAtTheFirstFailure) {
    imajiBosalt();
    saatDilimiKur("UTC");
    for (std::string ad : {"2026-12-01_000000", "2026-12-02_000000", "2026-12-03_000000"}) kopyaYap(ad);
    double bos = 100;
    int olcum = 0;
    auto olcer = [&] {
        ++olcum;
        return bos + 50.0 * (3 - static_cast<double>(Kopyalar::liste(Yol::yedekler()).size()));
    };
    auto r = Kopyalar::yerAc(100, olcer);
    EXPECT_TRUE(r.silinen.empty());
    EXPECT_TRUE(r.yeterli);

    r = Kopyalar::yerAc(150, olcer);
    EXPECT_EQ(r.silinen, Adlar{"2026-12-01_000000"});
    EXPECT_TRUE(r.yeterli);

    r = Kopyalar::yerAc(1000, olcer);
    EXPECT_EQ(r.silinen, Adlar{"2026-12-02_000000"});
    EXPECT_FALSE(r.yeterli);
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), Adlar{"2026-12-03_000000"});

    // A copy that cannot be removed ends the loop; the next is not tried.
    kopyaYap("2026-11-01_000000");
    kopyaYap("2026-11-02_000000");
    std::string inatci = Yol::yedekler() + "/2026-11-01_000000";
    TestOrtami::dosyaYaz(inatci + "/kilitli", "x");
    ::chmod(inatci.c_str(), 0755);
    if (std::system(("chattr +i '" + inatci + "/kilitli' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "the file system cannot make a file immutable";
    r = Kopyalar::yerAc(1e18, olcer);
    std::system(("chattr -i '" + inatci + "/kilitli'").c_str());
    EXPECT_TRUE(r.silinen.empty());
    EXPECT_FALSE(r.yeterli);
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()).size(), 3u);
    EXPECT_NE(oku(Yol::gunluk()).value_or("").find("HATA: kopya silinemedi 2026-11-01_000000\n"), std::string::npos);
}
