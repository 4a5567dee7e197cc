#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unicode/locid.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "core/Komut.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Adlar = std::vector<std::string>;

namespace {

// Copy names are local time: these tests switch the process's zone.
void saatDilimiKur(const std::string& tz) {
    setenv("TZ", tz.c_str(), 1);
    tzset();
}

void kopyalarYap(const Adlar& adlar) {
    for (const auto& ad : adlar) {
        TestOrtami::dosyaYaz(Yol::yedekler() + "/" + ad + "/Belgeler/a/b.txt", "veri");
        TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/" + ad + ".json", "{\"ad\":\"" + ad + "\"}");
    }
}
const Adlar ucGun = {"2026-12-01_000000", "2026-12-02_000000", "2026-12-03_000000"};

// Runs `f` in a child process (as nobody when `yetkisiz` and root); the child
// exits 0 when `f` returns.
pid_t cocuk(const std::function<void()>& f, bool yetkisiz = false) {
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (yetkisiz && ::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534))) ::_exit(2);
    try {
        f();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        ::_exit(1);
    }
    ::_exit(0);
}

// Runs `f` without root's privileges (as nobody, owning the test's files,
// when run as root), so folder permissions count; whether it returned.
bool yetkisiz(const std::function<void()>& f) {
    if (::geteuid() == 0) {
        ::chown(TestOrtami::kok().c_str(), 65534, 65534);
        for (const auto& e : fs::recursive_directory_iterator(TestOrtami::kok())) ::lchown(e.path().c_str(), 65534, 65534);
    }
    int st = 0;
    for (pid_t pid = cocuk(f, true); ::waitpid(pid, &st, 0) < 0 && errno == EINTR;) {}
    return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

// A folder no deletion can move or empty while this lives; `oldu` is false
// where the file system cannot make one.
struct Degismez {
    std::string yol;
    bool oldu = komut("/usr/bin/chattr", {"+i", yol}, std::string()).kod == 0;
    ~Degismez() {
        if (oldu) komut("/usr/bin/chattr", {"-i", yol}, std::string());
    }
};

size_t girdiSayisi(const std::string& yol) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(yol, ec); it != fs::recursive_directory_iterator(); it.increment(ec))
        ++n;
    return n;
}
Adlar gizliler() {
    Adlar v;
    for (const auto& e : fs::directory_iterator(Yol::yedekler()))
        if (e.path().filename().string().starts_with(Kopyalar::silinecekOnek)) v.push_back(e.path().filename());
    return v;
}

}  // namespace

// Copy names are real local times within the clock's span, in any zone; the
// list holds only those (folders or stray files), oldest first.
TEST(Kopyalar, OnlyRealLocalTimesAreCopyNamesAndTheListHoldsOnlyThem) {
    const Adlar kopyalar = {"2026-12-05_091200", "2024-02-29_000000", "2025-12-29_235959", "2000-01-01_000000",
                            "2026-07-15_120030", "1678-01-01_000000", "2261-12-31_235959"};
    const Adlar degil = {
        "1677-12-31_235959", "2262-01-01_000000", "2262-04-11_000000", "9999-12-31_235959", "0000-01-01_000000",
        "1000-06-15_120000", "2026-02-30_120000", "2025-02-29_120000", "2026-13-01_000000", "2026-12-05_240000",
        "2026-12-05_126000", "2026-12-05_120060", "2026-12-05 091200", "2026-12-05_09120", "2026-12-05_0912000",
        "2026-12-05_091200-old", "+026-12-05_091200", "2026-1a-05_091200", ".devam", ""};
    std::string kok = TestOrtami::kok() + "/yedekler";
    EXPECT_TRUE(Kopyalar::liste(kok).empty());
    EXPECT_FALSE(Kopyalar::son(kok));
    for (const auto& listesi : {kopyalar, degil})
        for (const auto& ad : listesi)
            if (!ad.empty()) fs::create_directories(kok + "/" + ad);
    TestOrtami::dosyaYaz(kok + "/notes.txt", "x");
    TestOrtami::dosyaYaz(kok + "/2026-06-01_000000", "a stray file with a copy's name still counts");
    Adlar beklenen = kopyalar;
    beklenen.push_back("2026-06-01_000000");
    std::sort(beklenen.begin(), beklenen.end());
    for (auto tz : {"UTC", "America/New_York", "Asia/Kolkata", "Pacific/Kiritimati", "Etc/GMT+12"}) {
        saatDilimiKur(tz);
        for (const auto& ad : kopyalar) {
            auto an = Kopyalar::tarih(ad);
            EXPECT_EQ(an ? Kopyalar::yeniAd(*an) : "", ad) << tz;
        }
        for (const auto& ad : degil) EXPECT_FALSE(Kopyalar::tarih(ad)) << tz << " " << ad;
        EXPECT_EQ(Kopyalar::liste(kok), beklenen) << tz;
        EXPECT_EQ(Kopyalar::son(kok), "2261-12-31_235959") << tz;
        // Fractions of a second do not round up into the next name.
        EXPECT_EQ(Kopyalar::yeniAd(*Kopyalar::tarih("2026-12-05_091259") + std::chrono::milliseconds(999)),
                  "2026-12-05_091259");
    }
    EXPECT_TRUE(Kopyalar::liste(kok + "/notes.txt").empty());
}

// An hour skipped when the clocks go forward does not exist there; a repeated
// one does; and every name made is a name that parses.
TEST(Kopyalar, ClockChangesAndTheNamesMade) {
    struct Durum { std::string tz, ad; bool kopya; };
    for (const auto& d : std::vector<Durum>{{"UTC", "2026-03-08_023000", true},
                                           {"America/New_York", "2026-03-08_023000", false},
                                           {"America/New_York", "2026-03-08_033000", true},
                                           {"America/New_York", "2026-11-01_013000", true},
                                           {"Australia/Lord_Howe", "2026-10-04_021500", false},  // a half-hour change
                                           {"Australia/Lord_Howe", "2026-10-04_023000", true}}) {
        saatDilimiKur(d.tz);
        EXPECT_EQ(Kopyalar::tarih(d.ad).has_value(), d.kopya) << d.tz << " " << d.ad;
    }
    for (std::string tz : {"America/New_York", "Australia/Lord_Howe"}) {
        saatDilimiKur(tz);
        for (time_t t = 1735689600; t < 1735689600 + 2 * 365 * 86400; t += 37 * 60 + 11) {
            std::string ad = Kopyalar::yeniAd(std::chrono::system_clock::from_time_t(t));
            auto an = Kopyalar::tarih(ad);
            ASSERT_TRUE(an) << tz << " " << ad;
            EXPECT_EQ(Kopyalar::yeniAd(*an), ad);
        }
    }
    for (auto [tz, ad] : {std::pair{"UTC", "2025-12-05_091320"}, {"Asia/Kolkata", "2025-12-05_144320"}}) {
        saatDilimiKur(tz);
        EXPECT_EQ(Kopyalar::yeniAd(std::chrono::system_clock::from_time_t(1764926000)), ad);
    }
}

// In the user's locale (ICU's default, taken once per process: set here).
TEST(Kopyalar, ShownInTheLocalizedDateStyle) {
    saatDilimiKur("UTC");
    const icu::Locale onceki = icu::Locale::getDefault();
    UErrorCode hata = U_ZERO_ERROR;
    for (auto [yer, beklenen] : {std::pair{"en_GB", "5 Dec 2026, 09:12"}, {"de_DE", "05.12.2026, 09:12"}}) {
        icu::Locale::setDefault(icu::Locale(yer), hata);
        EXPECT_EQ(Kopyalar::goster("2026-12-05_091200"), beklenen) << yer;
    }
    icu::Locale::setDefault(onceki, hata);
    for (auto ad : {"x", "2026-02-30_120000"}) EXPECT_EQ(Kopyalar::goster(ad), ad);
}

TEST(KopyaBilgisi, AbsentFieldsAreLeftOutAndOtherShapesReadAsNameOnly) {
    saatDilimiKur("UTC");
    KopyaBilgisi tam{"2026-12-05_091200"};
    tam.aktarilan = 1.5e9;
    tam.kopyalanan = 12;
    tam.dosyaSayisi = 4000000000LL;
    tam.kaynaklar = std::map<std::string, double>{{"Belgeler", 3.0}};

    for (auto ad : {"2026-12-05_091200", "2026-12-06_091200", "2026-12-07_091200"})
        fs::create_directories(Yol::yedekler() + "/" + ad);
    Kopyalar::bilgiYaz(tam);
    Kopyalar::bilgiYaz(KopyaBilgisi{"../kacak"});  // not a copy name: never a file
    EXPECT_FALSE(fs::exists(Yol::mnt() + "/kacak.json"));
    std::string meta = Kopyalar::metaKlasoru();
    TestOrtami::dosyaYaz(meta + "/2026-12-06_091200.json", R"({"ad":"2026-12-06_091200","sure":"long"})");
    TestOrtami::dosyaYaz(meta + "/2026-12-04_091200.json", R"({"ad":"2026-12-04_091200"})");  // copy is gone
    auto b = Kopyalar::bilgiler();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0], tam);
    EXPECT_EQ(nlohmann::json(b[1]), nlohmann::json({{"ad", "2026-12-06_091200"}}));
    EXPECT_EQ(nlohmann::json(b[2]), nlohmann::json({{"ad", "2026-12-07_091200"}}));

    for (auto kotu : {R"([1,2])", R"({"sure":1})", R"({"ad":5})", R"({"ad":"a","kopyalanan":1.5})",
                      R"({"ad":"a","kaynaklar":[1]})", R"({"ad":"a","kaynaklar":{"x":"y"}})"})
        EXPECT_THROW(nlohmann::json::parse(kotu).get<KopyaBilgisi>(), std::exception) << kotu;
    auto bos = nlohmann::json::parse(R"({"ad":"a","sure":null,"kopyalanan":3.0})").get<KopyaBilgisi>();
    EXPECT_EQ(std::pair(bos.sure.has_value(), bos.kopyalanan), std::pair(false, decltype(bos.kopyalanan){3}));
    EXPECT_EQ(KopyaBilgisi{"x"}.tarih(), Saat::Zaman::min());
    EXPECT_LT(KopyaBilgisi{"x"}.tarih(), tam.tarih());
}

TEST(Kopyalar, HistoryFollowsTheImageOnlyWhileItIsAttached) {
    saatDilimiKur("UTC");
    fs::create_directories(Yol::yedekler() + "/2026-12-05_091200");
    Kopyalar::gecmisEsitle();  // the image is not attached: nothing is written
    EXPECT_FALSE(fs::exists(Kopyalar::gecmisYolu()));
    EXPECT_TRUE(Kopyalar::gecmis().empty());
    TestOrtami::dosyaYaz(Kopyalar::gecmisYolu(), "not json");
    EXPECT_TRUE(Kopyalar::gecmis().empty());

    fs::remove_all(Yol::mnt());
    fs::create_directories(Yol::mnt());
    if (::mount("brimvale-test", Yol::mnt().c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Ayir {
        ~Ayir() { ::umount2(Yol::mnt().c_str(), MNT_DETACH); }
    } ayir;
    for (auto ad : {"2026-12-05_091200", "2026-12-06_091200"}) fs::create_directories(Yol::yedekler() + "/" + ad);
    Kopyalar::gecmisEsitle();
    auto g = Kopyalar::gecmis();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[1].ad, "2026-12-06_091200");
}

TEST(Budama, KeptCopiesInEveryZone) {
    struct Durum { const char* ne; Adlar adlar; Saklama saklama; Adlar tutulan; };
    const std::string a = "2026-12-05_100500", b = "2026-12-05_104000", c = "2026-12-05_111000";
    const std::string y1 = "2025-12-29_120000", y2 = "2026-01-02_120000", m1 = "2026-03-01_120000";
    std::vector<Durum> durumlar = {
        {"nothing", {}, {1, 1, 1, 1, 1}, {}}, {"one of each", {a, b, c}, {1, 1, 1, 1, 1}, {c}},
        {"two hours", {a, b, c}, {2, 0, 0, 0, 0}, {b, c}},
        {"every hour", {a, b, c}, {0, 0, 0, 0, 0}, {b, c}},
        {"negative is every", {a, b, c}, {-3, 1, 1, 1, 1}, {b, c}},
        {"input order does not matter", {c, a, b}, {2, 0, 0, 0, 0}, {b, c}},
        {"ISO week over new year", {y1, y2}, {1, 1, 2, 1, 1}, {y2}},
        {"calendar years differ", {y1, y2}, {1, 1, 1, 1, 2}, {y1, y2}},
        {"empty days are not counted", {m1, "2026-03-10_120000", "2026-03-20_120000"}, {1, 3, 1, 1, 1},
         {m1, "2026-03-10_120000", "2026-03-20_120000"}},
        {"the newest of a day", {"2026-03-01_080000", "2026-03-01_200000", "2026-03-02_010000"}, {1, 2, 1, 1, 1},
         {"2026-03-01_200000", "2026-03-02_010000"}},
        {"weeks: Sunday and Monday part", {m1, "2026-03-02_120000", "2026-03-08_120000"}, {1, 1, 2, 1, 1},
         {m1, "2026-03-08_120000"}},
        {"months and years", {"2024-05-01_000000", "2025-01-31_000000", "2025-02-01_000000", "2026-01-01_000000"},
         {1, 1, 1, 3, 0}, {"2024-05-01_000000", "2025-01-31_000000", "2025-02-01_000000", "2026-01-01_000000"}},
        {"names that are not copies", {".devam", c + "-old", "2026-02-30_120000", "x", a}, {0, 0, 0, 0, 0}, {a}},
        {"only non-copies", {".devam", "notes.txt"}, {0, 0, 0, 0, 0}, {}},
    };
    for (auto tz : {"UTC", "America/New_York", "Asia/Kolkata"}) {
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
    auto bicim = [](time_t t, const char* f) {
        std::tm tm{};
        char s[32];
        return std::string(s, strftime(s, sizeof s, f, gmtime_r(&t, &tm)));
    };
    for (time_t t = 1420070400 /* 2015-01-01 */; t < 1420070400 + 365 * 12 * 86400L; t += 86400) {
        // Only the weekly count reaches a second bucket.
        auto tut = Kopyalar::tutulacaklar({bicim(t, "%F_120000"), bicim(t + 86400, "%F_120000")}, {1, 1, 2, 1, 1});
        EXPECT_EQ(tut.size(), bicim(t, "%G-%V") == bicim(t + 86400, "%G-%V") ? 1u : 2u) << bicim(t, "%F");
    }
}

TEST(Budama, DeleteRefusesEverythingButACopyName) {
    saatDilimiKur("UTC");
    fs::create_directories(Yol::yedekler() + "/sub");
    for (std::string ad : {"..", "", ".", "sub", "2026-12-05_091200/../..", "../2026-12-05_091200",
                           "2026-12-05_091200/x", "/etc", "2026-02-30_120000"}) {
        try {
            Kopyalar::sil(ad);
            ADD_FAILURE() << "not refused: " << ad;
        } catch (const BrimvaleHatasi& e) {
            EXPECT_EQ(std::pair(e.kod, std::string(e.what())), std::pair(1, "refused to delete " + ad));
        }
    }
    EXPECT_TRUE(fs::exists(Yol::yedekler() + "/sub"));
}

TEST(Budama, DeleteOpensReadOnlyFoldersAndSparesHardLinkedCopies) {
    saatDilimiKur("UTC");
    kopyalarYap({"2026-12-05_091200"});
    std::string eski = Yol::yedekler() + "/2026-12-05_091200/Belgeler", baska = TestOrtami::kok() + "/baska";
    std::string yeni = Yol::yedekler() + "/2026-12-06_091200/Belgeler";
    fs::create_directories(yeni + "/a");
    fs::create_hard_link(eski + "/a/b.txt", yeni + "/a/b.txt");
    ::chmod((eski + "/a/b.txt").c_str(), 0444);
    for (auto k : {eski + "/a", eski, Yol::yedekler() + "/2026-12-05_091200"}) ::chmod(k.c_str(), 0555);
    ::mkdir((eski + "/kapali").c_str(), 0000);
    // A link named like a copy goes as a link; its target is untouched.
    fs::create_directories(baska);
    ::chmod(baska.c_str(), 0500);
    fs::create_directory_symlink(baska, Yol::yedekler() + "/2026-12-07_091200");

    ASSERT_TRUE(yetkisiz([] {
        Kopyalar::sil("2026-12-05_091200");
        Kopyalar::sil("2026-12-07_091200");
    }));
    EXPECT_FALSE(fs::exists(Yol::yedekler() + "/2026-12-05_091200"));
    EXPECT_FALSE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-05_091200.json"));
    EXPECT_FALSE(fs::is_symlink(Yol::yedekler() + "/2026-12-07_091200"));
    auto b = TestOrtami::durum(yeni + "/a/b.txt");
    EXPECT_EQ(std::tuple(b.st_mode & 07777, b.st_nlink, oku(yeni + "/a/b.txt")), std::tuple(0444u, 1ul, "veri"));
    EXPECT_EQ(TestOrtami::durum(baska).st_mode & 07777, 0500u);
    // No statistics file, and the unfinished copy: both fine.
    fs::create_directories(Yol::devam() + "/x");
    Kopyalar::sil(".devam");
    Kopyalar::sil("2026-12-06_091200");
    EXPECT_TRUE(Kopyalar::liste(Yol::yedekler()).empty());
}

TEST(Budama, ThinningDeletesOnlyWhatIsNotKept) {
    saatDilimiKur("America/New_York");
    EXPECT_TRUE(Kopyalar::buda({1, 1, 1, 1, 1}).empty());
    kopyalarYap({"2026-12-05_100500", "2026-12-05_104000", "2026-12-05_111000"});
    fs::create_directories(Yol::devam());
    EXPECT_EQ(Kopyalar::buda({2, 0, 0, 0, 0}), Adlar{"2026-12-05_100500"});
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_104000", "2026-12-05_111000"}));
    EXPECT_TRUE(fs::exists(Yol::devam()));
    // Out of the list and without statistics at once; its files go at the next attach.
    EXPECT_EQ(gizliler(), Adlar{Kopyalar::silinecekAdi("2026-12-05_100500")});
    EXPECT_FALSE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-05_100500.json"));
    EXPECT_EQ(Kopyalar::artiklariSil(Yol::yedekler(), true), Adlar{Kopyalar::silinecekAdi("2026-12-05_100500")});

    // A copy that will not go is logged, and thinning goes on with the next.
    kopyalarYap({"2026-12-05_090000"});
    Degismez inatci{Yol::yedekler() + "/2026-12-05_090000"};
    if (!inatci.oldu) GTEST_SKIP() << "the file system cannot make a folder immutable";
    EXPECT_EQ(Kopyalar::buda({1, 1, 1, 1, 1}), Adlar{"2026-12-05_104000"});
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_090000", "2026-12-05_111000"}));
    EXPECT_NE(TestOrtami::gunluk().find("HATA: kopya silinemedi 2026-12-05_090000: "), std::string::npos);
}

// Oldest first, never the last copy, and nothing for more than the whole
// volume holds (a capacity of 0 is unknown).
TEST(Budama, MakingRoomStopsAtTheLastCopyAtTheFirstFailureAndForWhatCanNeverFit) {
    saatDilimiKur("UTC");
    kopyalarYap(ucGun);
    auto olcer = [] { return 100 + 50.0 * (3 - static_cast<double>(Kopyalar::liste(Yol::yedekler()).size())); };
    struct Durum { double gerekli, toplam; Adlar silinen; bool yeterli, sigmaz; };
    for (const auto& d : std::vector<Durum>{{1001, 1000, {}, false, true}, {100, 0, {}, true, false},
                                            {150, 0, {ucGun[0]}, true, false}, {1000, 1000, {ucGun[1]}, false, false}}) {
        auto r = Kopyalar::yerAc(d.gerekli, d.toplam, olcer);
        EXPECT_EQ(std::tuple(r.silinen, r.yeterli, r.sigmaz), std::tuple(d.silinen, d.yeterli, d.sigmaz)) << d.gerekli;
    }
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), Adlar{ucGun[2]});

    // A copy that cannot be moved away ends the loop; the next is not tried,
    // and the copy stays listed and whole.
    kopyalarYap({"2026-11-01_000000", "2026-11-02_000000"});
    Degismez inatci{Yol::yedekler() + "/2026-11-01_000000"};
    if (!inatci.oldu) GTEST_SKIP() << "the file system cannot make a folder immutable";
    auto r = Kopyalar::yerAc(1e18, 0, olcer);
    EXPECT_EQ(std::pair(r.silinen, r.yeterli), std::pair(Adlar{}, false));
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()).size(), 3u);
    EXPECT_EQ(oku(inatci.yol + "/Belgeler/a/b.txt"), "veri");
    EXPECT_NE(TestOrtami::gunluk().find("HATA: kopya silinemedi 2026-11-01_000000\n"), std::string::npos);
}

// A deletion killed at any moment: the copy is either listed and whole, or
// gone from the list; what it left is removed by the next cleanup.
TEST(Budama, KilledDeletionNeverLeavesAHalfCopyListed) {
    saatDilimiKur("UTC");
    unsigned tohum = std::random_device{}();
    if (const char* t = std::getenv("BRIMVALE_TOHUM")) tohum = static_cast<unsigned>(std::strtoul(t, nullptr, 10));
    std::printf("seed: %u (BRIMVALE_TOHUM=%u repeats this run)\n", tohum, tohum);
    std::mt19937 rastgele(tohum);

    const std::string ad = "2026-12-05_091200", yol = Yol::yedekler() + "/" + ad;
    const std::string gizli = Yol::yedekler() + "/" + Kopyalar::silinecekAdi(ad);
    auto yap = [&] {
        for (int k = 0; k < 20; ++k) {
            std::string klasor = yol + "/Belgeler/k" + std::to_string(k);
            fs::create_directories(klasor);
            for (int i = 0; i < 50; ++i) std::ofstream(klasor + "/d" + std::to_string(i)) << i;
            ::chmod(klasor.c_str(), 0555);  // stored read-only, so the walk has work on each folder
        }
        TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/" + ad + ".json", "{\"ad\":\"" + ad + "\"}");
        return girdiSayisi(yol);
    };

    // Killed once the entries left, listed or hidden, fall to a random count.
    const size_t tam = yap();
    int yarida = 0;
    for (int tur = 0; tur < 8; ++tur) {
        SCOPED_TRACE("round " + std::to_string(tur));
        ASSERT_EQ(yap(), tam);
        size_t kalan = std::uniform_int_distribution<size_t>(0, tam)(rastgele);
        pid_t pid = cocuk([&] { Kopyalar::sil(ad); });
        auto son = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        bool gitti = false;
        while (!gitti && girdiSayisi(yol) + girdiSayisi(gizli) > kalan) {
            gitti = ::waitpid(pid, nullptr, WNOHANG) == pid;
            ASSERT_LT(std::chrono::steady_clock::now(), son) << "the deletion hangs";
        }
        if (!gitti) ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
        auto adlar = Kopyalar::liste(Yol::yedekler());
        if (!adlar.empty()) {
            EXPECT_EQ(adlar, Adlar{ad});
            EXPECT_EQ(girdiSayisi(yol), tam) << "a half copy is listed";
        } else if (!gizliler().empty()) {
            ++yarida;
        }
        // The next run's cleanup leaves the list as it was and nothing hidden.
        Kopyalar::artiklariSil();
        EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), adlar);
        EXPECT_TRUE(gizliler().empty());
        EXPECT_EQ(fs::exists(Kopyalar::metaKlasoru() + "/" + ad + ".json"), !adlar.empty());
        if (!adlar.empty()) Kopyalar::sil(ad);
    }
    std::printf("deletions cut short: %d of 8\n", yarida);
}

// The same with the fast way asked for: outside an image it falls back to
// the plain removal and says so.
TEST(Budama, CleanupRemovesOnlyWhatDeletionsLeft) {
    for (bool hizli : {false, true}) {
        SCOPED_TRACE(hizli ? "fast" : "plain");
        fs::remove_all(Yol::yedekler());
        fs::remove_all(Kopyalar::metaKlasoru());
        saatDilimiKur("UTC");
        kopyalarYap({"2026-12-05_091200", "2026-12-06_091200"});
        TestOrtami::dosyaYaz(Yol::devam() + "/Belgeler/yarim.txt", "devam");
        // A copy cut short, stored read-only; another whose name was made again
        // since (its own statistics stay); the unfinished copy's own leftover.
        std::string kesik = Yol::yedekler() + "/" + Kopyalar::silinecekAdi("2026-12-04_091200");
        TestOrtami::dosyaYaz(kesik + "/Belgeler/a/b.txt", "x");
        TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/2026-12-04_091200.json", "{}");
        for (auto k : {kesik + "/Belgeler/a", kesik + "/Belgeler", kesik}) ::chmod(k.c_str(), 0555);
        for (auto ad : {"2026-12-06_091200", ".devam"})
            TestOrtami::dosyaYaz(Yol::yedekler() + "/" + Kopyalar::silinecekAdi(ad) + "/x", "x");

        auto silinen = Kopyalar::artiklariSil(Yol::yedekler(), hizli);
        std::sort(silinen.begin(), silinen.end());
        EXPECT_EQ(silinen, (Adlar{".silinecek-.devam", ".silinecek-2026-12-04_091200", ".silinecek-2026-12-06_091200"}));
        EXPECT_TRUE(gizliler().empty());
        EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_091200", "2026-12-06_091200"}));
        EXPECT_EQ(oku(Yol::devam() + "/Belgeler/yarim.txt"), "devam");
        EXPECT_FALSE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-04_091200.json"));
        EXPECT_TRUE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-06_091200.json"));
        EXPECT_TRUE(Kopyalar::artiklariSil().empty());
        EXPECT_EQ(TestOrtami::gunluk().find("removed through the image: not inside a gocryptfs image") != std::string::npos,
                  hizli);
    }
}
