#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "backup/Durum.hpp"
#include "platform/Platform.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

// The pid of a process that has exited.
pid_t olmusPid() {
    pid_t p = fork();
    if (p == 0) _exit(0);
    waitpid(p, nullptr, 0);
    return p;
}

void kilitYaz(const std::string& pid) {
    fs::create_directories(Yol::kilit());
    atomikYaz(Yol::kilitPid(), pid);
}

}  // namespace

TEST(Asama, StageFileLinesAndHowTheWindowsReadThem) {
    Saat::SahteSaat saat(Saat::Zaman(std::chrono::seconds(1700000000)));
    Saat::kaynakKur(&saat);
    Yedekleme::asama("esitleme");
    EXPECT_EQ(oku(Yol::asama()), "esitleme\t1700000000\t" + std::to_string(getpid()) + "\n");
    Yedekleme::asama("bosta", "iptal");
    EXPECT_EQ(oku(Yol::asama()), "bosta\t1700000000\tiptal\n");
    Saat::kaynakKur(nullptr);

    struct Durum { std::string dosya; bool canli; std::string asama, sonuc; std::optional<long long> zaman; };
    for (const auto& d : std::vector<Durum>{
             {"", false, "bosta", "", std::nullopt},
             {"bosta\t1700000001\tiptal\n", false, "bosta", "iptal", 1700000001},
             {"bosta\t1700000001\n", false, "bosta", "", 1700000001},
             {"esitleme\t1700000002\t99\n", true, "esitleme", "", 1700000002},
             // An engine that died leaves its stage behind: shown as idle.
             {"esitleme\t1700000002\t99\n", false, "bosta", "", 1700000002},
             {"soru\tx\n", true, "soru", "", std::nullopt},
             // Beyond what the clock holds (after 2262): no time rather than a wrapped one.
             {"bosta\t41733520000\tbitti\n", false, "bosta", "bitti", std::nullopt},
         }) {
        fs::remove_all(Yol::durum());
        if (!d.dosya.empty()) atomikYaz(Yol::asama(), d.dosya);
        if (d.canli) kilitYaz(std::to_string(getpid()));
        auto b = Yedekleme::asamaOku();
        EXPECT_EQ(b.asama, d.asama) << d.dosya;
        EXPECT_EQ(b.sonuc, d.sonuc) << d.dosya;
        std::optional<long long> zaman;
        if (b.zaman) zaman = std::chrono::duration_cast<std::chrono::seconds>(b.zaman->time_since_epoch()).count();
        EXPECT_EQ(zaman, d.zaman) << d.dosya;
    }
}

TEST(Asama, PostponementRecord) {
    EXPECT_EQ(Yedekleme::ertelemeOku(), std::nullopt);
    atomikYaz(Yol::ertelendi(), "ABC 1699999999\t1700000000\n");
    ASSERT_TRUE(Yedekleme::ertelemeOku());
    EXPECT_EQ(Yedekleme::ertelemeOku()->time_since_epoch(), std::chrono::seconds(1700000000));
    atomikYaz(Yol::ertelendi(), "ABC 1699999999\n");
    EXPECT_EQ(Yedekleme::ertelemeOku(), std::nullopt);
}

// A lock held by a live engine is refused; any other is stale and taken over.
// A pid is handed out again once its process has ended: a lock whose pid now
// names some other live process is stale, told by the start time beside it.
TEST(Kilit, HeldByALiveEngineElseTakenOver) {
    // Some other live process: our parent. A child that ends once its start is read.
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    pid_t baska = getppid(), zombi = fork();
    if (zombi == 0) {
        char c;
        close(p[1]);
        [[maybe_unused]] ssize_t r = read(p[0], &c, 1);
        _exit(0);
    }
    auto baslangic = Platform::surecBaslangici(baska), zombiBaslangici = Platform::surecBaslangici(zombi);
    for (int f : p) close(f);
    ASSERT_TRUE(baslangic && zombiBaslangici);
    // The zombie is left unreaped until the end: its pid answers signal 0.
    siginfo_t bilgi{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(zombi), &bilgi, WEXITED | WNOWAIT), 0);
    const std::string ben = std::to_string(getpid());

    // pid: nothing for a lock folder without one (its holder died before writing).
    struct Durum { std::string ad; std::optional<std::string> pid, kayitliBaslangic; std::optional<int32_t> canli; bool klasor = true; };
    for (const auto& d : std::vector<Durum>{
             {"no lock", std::nullopt, std::nullopt, std::nullopt, false},
             {"a lock folder without a pid", std::nullopt, std::nullopt, std::nullopt},
             {"a live engine", ben + "\n", std::nullopt, getpid()},
             {"a live engine, spaced", " " + ben, std::nullopt, getpid()},
             {"an engine that died", std::to_string(olmusPid()), std::nullopt, std::nullopt},
             {"not a number", "abc", std::nullopt, std::nullopt},
             {"empty", "", std::nullopt, std::nullopt},
             {"beyond any pid", "99999999999", std::nullopt, std::nullopt},
             {"another process's start", std::to_string(baska), "1", std::nullopt},
             {"its own start", std::to_string(baska), *baslangic + "\n", baska},
             {"no start recorded", std::to_string(baska), std::nullopt, baska},
             {"ended, not yet reaped", std::to_string(zombi), *zombiBaslangici, std::nullopt},
         }) {
        fs::remove_all(Yol::durum());
        if (d.pid) kilitYaz(*d.pid);
        if (d.kayitliBaslangic) atomikYaz(Yol::kilitBaslangic(), *d.kayitliBaslangic);
        TestOrtami::dosyaYaz(Yol::kilit() + "/artik", "x");
        if (!d.klasor) fs::remove_all(Yol::kilit());
        EXPECT_EQ(Yedekleme::calisanPid(), d.canli) << d.ad;
        auto alma = Yedekleme::kilitAl();
        EXPECT_EQ(alma.alindi, !d.canli) << d.ad;
        EXPECT_EQ(alma.hata, std::nullopt) << d.ad;
        if (!alma) continue;
        EXPECT_EQ(oku(Yol::kilitPid()), ben) << d.ad;
        EXPECT_EQ(Yedekleme::calisanPid(), getpid()) << d.ad;
        EXPECT_FALSE(Yedekleme::kilitAl()) << d.ad << ": held by a live process (us)";
        EXPECT_FALSE(fs::exists(Yol::kilit() + "/artik")) << d.ad;
        // Nothing of the stale lock is left beside it.
        for (const auto& e : fs::directory_iterator(Yol::durum()))
            EXPECT_TRUE(!e.is_directory() || e.path() == Yol::kilit()) << d.ad << ": " << e.path();
        Yedekleme::kilidiBirak();
        EXPECT_FALSE(fs::exists(Yol::kilit())) << d.ad;
    }
    waitpid(zombi, nullptr, 0);
}

// Several runs that all find the same stale lock: exactly one may start.
TEST(Kilit, OneWinnerAmongRunsRacingForAStaleLock) {
    for (int tur = 0; tur < 20; ++tur) {
        fs::remove_all(Yol::durum());
        kilitYaz(std::to_string(olmusPid()));
        int basla[2], sonuc[2], bitir[2];
        ASSERT_TRUE(pipe(basla) == 0 && pipe(sonuc) == 0 && pipe(bitir) == 0);
        std::vector<pid_t> cocuklar(8);
        for (pid_t& p : cocuklar) {
            if ((p = fork()) != 0) continue;
            char c = 'E';
            close(basla[1]);
            close(bitir[1]);
            [[maybe_unused]] ssize_t r = read(basla[0], &c, 1);  // all start together
            try {
                c = Yedekleme::kilitAl() ? '1' : '0';
            } catch (...) {
            }
            r = write(sonuc[1], &c, 1);
            r = read(bitir[0], &c, 1);  // the winner stays alive until all have tried
            _exit(0);
        }
        for (int f : {basla[0], bitir[0], sonuc[1], basla[1]}) close(f);  // end of file releases them all at once
        int kazanan = 0;
        char c;
        for (size_t i = 0; i < cocuklar.size(); ++i) {
            ASSERT_EQ(read(sonuc[0], &c, 1), 1);
            EXPECT_NE(c, 'E');
            kazanan += c == '1';
        }
        for (int f : {bitir[1], sonuc[0]}) close(f);
        for (pid_t p : cocuklar) waitpid(p, nullptr, 0);
        EXPECT_EQ(kazanan, 1) << "round " << tur;
    }
}

TEST(Asama, SnapshotFromTheStateFiles) {
    std::string gunluk;
    for (int i = 0; i < 600; ++i) gunluk += "2024-01-01 00:00:00 satir " + std::to_string(i) + "\n\n";
    atomikYaz(Yol::gunluk(), gunluk);
    atomikYaz(Yol::sonHatalar(), "bir\n\niki\n");
    atomikYaz(Yol::sonYedek(), "  2024-01-01 10:00\n");
    atomikYaz(Yol::asama(), "esitleme\t1700000000\t1\n");
    kilitYaz(std::to_string(getpid()));
    jsonYaz({{"aktarilacakBayt", 0}}, Yol::isKlasoru() + "/ozet.json");

    Anlik a = Yedekleme::anlik(Ayarlar{});
    EXPECT_FALSE(a.diskBagli);
    EXPECT_EQ(a.imaj, Disk::Baglanti::yok);
    EXPECT_EQ(a.asama, "esitleme");
    EXPECT_EQ(a.pid, getpid());
    EXPECT_TRUE(a.calisiyor);
    EXPECT_FALSE(a.duraklatildi);
    EXPECT_EQ(a.toplamBayt, 1);  // at least 1
    EXPECT_EQ(a.sonYedek, "2024-01-01 10:00");
    ASSERT_EQ(a.gunluk.size(), 500u);
    EXPECT_EQ(a.gunluk.back(), "2024-01-01 00:00:00 satir 599");
    EXPECT_EQ(a.hatalar, (std::vector<std::string>{"bir", "iki"}));
    EXPECT_EQ(a.erteleme, std::nullopt);
}
