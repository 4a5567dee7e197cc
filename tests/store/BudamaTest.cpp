#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "tests/store/SaatDilimi.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Adlar = std::vector<std::string>;

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

namespace {
void kopyaYap(const std::string& ad, const std::string& icerik = "veri") {
    TestOrtami::dosyaYaz(Yol::yedekler() + "/" + ad + "/Belgeler/a/b.txt", icerik);
    TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/" + ad + ".json", "{\"ad\":\"" + ad + "\"}");
}
void kopyalarYap(const Adlar& adlar) {
    for (const auto& ad : adlar) kopyaYap(ad);
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
}  // namespace

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
    kopyaYap("2026-12-05_091200");
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

    // A copy that will not go is logged, and thinning goes on with the next.
    kopyaYap("2026-12-05_090000");
    Degismez inatci{Yol::yedekler() + "/2026-12-05_090000"};
    if (!inatci.oldu) GTEST_SKIP() << "the file system cannot make a folder immutable";
    EXPECT_EQ(Kopyalar::buda({1, 1, 1, 1, 1}), Adlar{"2026-12-05_104000"});
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_090000", "2026-12-05_111000"}));
    EXPECT_NE(TestOrtami::gunluk().find("HATA: kopya silinemedi 2026-12-05_090000: "), std::string::npos);
}

TEST(Budama, MakingRoomStopsAtTheLastCopyAndAtTheFirstFailure) {
    saatDilimiKur("UTC");
    kopyalarYap(ucGun);
    auto olcer = [] { return 100 + 50.0 * (3 - static_cast<double>(Kopyalar::liste(Yol::yedekler()).size())); };
    // Enough already; one copy gives enough; the rest is not enough, and the last copy stays.
    struct Durum { double gerekli; Adlar silinen; bool yeterli; };
    for (const auto& d : std::vector<Durum>{{100, {}, true}, {150, {ucGun[0]}, true}, {1000, {ucGun[1]}, false}}) {
        auto r = Kopyalar::yerAc(d.gerekli, 0, olcer);
        EXPECT_EQ(std::pair(r.silinen, r.yeterli), std::pair(d.silinen, d.yeterli)) << d.gerekli;
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

// More than the whole volume holds never fits, so no copy is given up for it;
// within the capacity the oldest still go.
TEST(Budama, MakingRoomDeletesNothingForWhatCanNeverFit) {
    saatDilimiKur("UTC");
    kopyalarYap(ucGun);
    auto olcer = [] { return 100.0; };
    auto r = Kopyalar::yerAc(1001, 1000, olcer);
    EXPECT_EQ(std::tuple(r.sigmaz, r.yeterli, r.silinen), std::tuple(true, false, Adlar{}));
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()).size(), 3u);
    r = Kopyalar::yerAc(1000, 1000, olcer);
    EXPECT_EQ(std::pair(r.sigmaz, r.silinen), std::pair(false, Adlar{ucGun[0], ucGun[1]}));
}

namespace {
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

TEST(Budama, CleanupRemovesOnlyWhatDeletionsLeft) {
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

    auto silinen = Kopyalar::artiklariSil();
    std::sort(silinen.begin(), silinen.end());
    EXPECT_EQ(silinen, (Adlar{".silinecek-.devam", ".silinecek-2026-12-04_091200", ".silinecek-2026-12-06_091200"}));
    EXPECT_TRUE(gizliler().empty());
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), (Adlar{"2026-12-05_091200", "2026-12-06_091200"}));
    EXPECT_EQ(oku(Yol::devam() + "/Belgeler/yarim.txt"), "devam");
    EXPECT_FALSE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-04_091200.json"));
    EXPECT_TRUE(fs::exists(Kopyalar::metaKlasoru() + "/2026-12-06_091200.json"));
    EXPECT_TRUE(Kopyalar::artiklariSil().empty());
}
