// Whole backup runs as root: a loop-device disk with ext4 mounted like an
// external disk, its encrypted image, source folders of a few thousand
// files, and the built program run as the agent or by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "agent/Kurulum.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
extern char** environ;

namespace {

const char* kParola = "Calisma parolasi 7";

std::vector<pid_t> baslatilanlar;

// The built program, started in a process group of its own so that a test
// can kill it together with its copy tool, as a crash would.
pid_t baslat(const std::vector<std::string>& args) {
    std::vector<std::string> tum = {TestOrtami::calistirilabilir()};
    tum.insert(tum.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : tum) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawnattr_t nitelik;
    posix_spawnattr_init(&nitelik);
    posix_spawnattr_setflags(&nitelik, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&nitelik, 0);
    posix_spawn_file_actions_t eylem;
    posix_spawn_file_actions_init(&eylem);
    posix_spawn_file_actions_addopen(&eylem, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    posix_spawn(&pid, argv[0], &eylem, &nitelik, argv.data(), environ);
    posix_spawn_file_actions_destroy(&eylem);
    posix_spawnattr_destroy(&nitelik);
    baslatilanlar.push_back(pid);
    return pid;
}

int bekle(pid_t pid) {
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

int calistir(const std::vector<std::string>& args) { return bekle(baslat(args)); }

std::string asamaAlani(size_t i) {
    auto alanlar = Metin::bol(Metin::kirp(oku(Yol::asama()).value_or("")), '\t', false);
    return i < alanlar.size() ? alanlar[i] : "";
}

bool bekleAsama(const std::string& asama, pid_t pid) {
    for (int i = 0; i < 600; ++i) {
        if (asamaAlani(0) == asama) return true;
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return false;
        ::usleep(50000);
    }
    return false;
}

void dosya(const std::string& yol, const std::string& icerik) { TestOrtami::dosyaYaz(yol, icerik); }

ino_t inode(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0 ? st.st_ino : 0;
}

class Calisma : public ::testing::Test {
protected:
    std::unique_ptr<DenemeDiski> disk;
    std::string kaynak, imaj;
    Ayarlar ayarlar;

    void SetUp() override {
        if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        DenemeDiski::yardimcilariKur();
        disk = std::make_unique<DenemeDiski>("BRIMRUN", 256);
        setenv("BRIMVALE_PAROLA", kParola, 1);
        kaynak = TestOrtami::kok() + "/bilgisayar";
        for (int i = 0; i < 1500; ++i)
            dosya(kaynak + "/Belgeler/k" + std::to_string(i % 30) + "/belge " + std::to_string(i) + ".txt",
                  "belge " + std::to_string(i) + "\n");
        for (int i = 0; i < 500; ++i) dosya(kaynak + "/Resimler/r" + std::to_string(i) + ".jpg", std::string(200, 'r'));
        fs::create_symlink("../Belgeler", kaynak + "/Resimler/bag");
        ayarlar.diskUUID = disk->uuid;
        ayarlar.kaynaklar = {kaynak + "/Belgeler", kaynak + "/Resimler"};
        ayarlar.seyrelt = false;
        ayarlar.kaydet();
        imaj = disk->yol + "/" + ayarlar.imajAdi;
        Birim birim{disk->uuid, disk->etiket, disk->yol, Disk::toplamYer(disk->yol), Disk::bosYer(disk->yol)};
        ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, kParola), std::nullopt);
    }

    // A failed test must not leave a run waiting for an answer on a disk that goes.
    void TearDown() override {
        for (pid_t pid : baslatilanlar) ::kill(-pid, SIGKILL);
        if (disk && Disk::imajDurumu() != Disk::Baglanti::yok) komut("/usr/bin/fusermount3", {"-u", "-z", Yol::mnt()});
    }

    bool takili() { return Disk::birim(ayarlar.diskUUID).has_value(); }
    void gerekirseTak() {
        if (!takili()) disk->yenidenTak();
    }

    // The dated copies, read through the image attached read-only.
    std::vector<std::string> kopyalar() {
        gerekirseTak();
        EXPECT_EQ(Disk::imajiBagla(imaj, true, ayarlar), std::nullopt);
        return Kopyalar::liste(Yol::yedekler());
    }
    void kapat() { EXPECT_EQ(Disk::imajiAyir(), std::nullopt); }

    // A copy holds exactly what the computer holds.
    void ayniOlmali(const std::string& kopya) {
        for (const auto& ad : {"Belgeler", "Resimler"}) {
            KomutSonucu d = komut("/usr/bin/diff", {"-r", "--no-dereference", kaynak + "/" + ad, Yol::yedekler() + "/" + kopya + "/" + ad});
            EXPECT_EQ(d.kod, 0) << kopya << "/" << ad << ": " << d.cikti.substr(0, 500);
        }
    }

    // Slows the real copy pass (not the dry run) so a test can act during it.
    void yavasKopya(int kbSaniye) {
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik("case \" $* \" in *\" --stats \"*) exec /usr/bin/rsync --bwlimit=" + std::to_string(kbSaniye) +
                    " \"$@\";; *) exec /usr/bin/rsync \"$@\";; esac");
    }
    void normalKopya() { fs::remove(TestOrtami::araclar() + "/rsync"); }
};

}  // namespace

TEST_F(Calisma, FirstCopyThenIncrementalLinksEveryUnchangedFile) {
    ASSERT_EQ(calistir({"--yedekle"}), 0) << oku(Yol::gunluk()).value_or("");
    EXPECT_EQ(asamaAlani(0), "bosta");
    EXPECT_EQ(asamaAlani(2), "bitti");
    EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, "Backup complete");
    EXPECT_FALSE(takili()) << "the volume is still mounted after the run";
    EXPECT_FALSE(fs::exists(Yol::kilit()));

    disk->yenidenTak();
    for (const char* ad : {"Ondrak-Brimvale.dmg", "Ondrak-Brimvale.dmg.sha256", "RESTORE-README.txt"})
        EXPECT_TRUE(fs::exists(disk->yol + "/" + ad)) << ad;
    auto ilk = kopyalar();
    ASSERT_EQ(ilk.size(), 1u);
    ayniOlmali(ilk[0]);
    EXPECT_TRUE(fs::exists(Yol::mnt() + "/meta/tarif.json"));
    kapat();

    // Edits, a deletion and a new large file.
    ::sleep(1);  // copy names have whole seconds
    dosya(kaynak + "/Belgeler/k1/belge 1.txt", "yeni icerik\n");
    fs::remove(kaynak + "/Belgeler/k2/belge 2.txt");
    dosya(kaynak + "/Resimler/buyuk.bin", std::string(3 << 20, 'B'));
    setenv("BRIMVALE_BUYUK_ESIK", "2000000", 1);
    setenv("BRIMVALE_CEVAP", "yedekle", 1);  // a deletion means the question is asked
    ASSERT_EQ(calistir({"--yedekle"}), 0) << oku(Yol::gunluk()).value_or("");
    unsetenv("BRIMVALE_CEVAP");
    unsetenv("BRIMVALE_BUYUK_ESIK");
    EXPECT_NE(oku(Yol::gunluk()).value_or("").find("Large files: 1 copied"), std::string::npos);

    auto iki = kopyalar();
    ASSERT_EQ(iki.size(), 2u);
    ayniOlmali(iki[1]);
    std::string a = Yol::yedekler() + "/" + iki[0], b = Yol::yedekler() + "/" + iki[1];
    EXPECT_TRUE(fs::exists(a + "/Belgeler/k2/belge 2.txt"));
    EXPECT_FALSE(fs::exists(b + "/Belgeler/k2/belge 2.txt"));
    EXPECT_NE(inode(a + "/Belgeler/k1/belge 1.txt"), inode(b + "/Belgeler/k1/belge 1.txt"));
    int bagli = 0;
    for (int i = 3; i < 1500; ++i) {
        std::string rel = "/Belgeler/k" + std::to_string(i % 30) + "/belge " + std::to_string(i) + ".txt";
        bagli += inode(a + rel) == inode(b + rel) && fs::hard_link_count(b + rel) > 1;
    }
    EXPECT_EQ(bagli, 1497);
    kapat();
}

TEST_F(Calisma, AgentAsksOncePerConnectionAndFollowsTheAnswer) {
    setenv("BRIMVALE_CEVAP", "iptal", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0);
    EXPECT_EQ(asamaAlani(2), "ertelendi");
    EXPECT_TRUE(takili()) << "a postponement leaves the disk mounted";
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    auto ertelendi = oku(Yol::ertelendi()).value_or("");
    EXPECT_EQ(ertelendi.rfind(oku(Yol::sorulan()).value_or("?") + "\t", 0), 0u) << ertelendi;

    // The same mounting was handled: nothing happens, even with another answer.
    std::string once = oku(Yol::gunluk()).value_or("");
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0);
    EXPECT_EQ(oku(Yol::gunluk()).value_or(""), once);
    EXPECT_EQ(asamaAlani(2), "ertelendi");

    // A new connection asks again; "cikar" ejects without a copy.
    disk->yenidenTak();
    setenv("BRIMVALE_CEVAP", "cikar", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0);
    EXPECT_EQ(asamaAlani(2), "iptal");
    EXPECT_FALSE(takili());
    EXPECT_FALSE(fs::exists(Yol::ertelendi()));
    EXPECT_TRUE(kopyalar().empty());
    kapat();

    // A first copy, then a file deleted on the computer is brought back before the next.
    disk->yenidenTak();
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0);
    std::string silinen = kaynak + "/Belgeler/k0/belge 0.txt";
    fs::remove(silinen);
    dosya(kaynak + "/Belgeler/k0/belge 30.txt", "burada yeni bir surum var\n");  // also deleted, but recreated
    disk->yenidenTak();
    ::sleep(1);
    auto sira = kopyalar();
    kapat();
    setenv("BRIMVALE_SEC", "0", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0) << oku(Yol::gunluk()).value_or("");
    unsetenv("BRIMVALE_SEC");
    unsetenv("BRIMVALE_CEVAP");
    EXPECT_EQ(oku(silinen), "belge 0\n");
    auto son = kopyalar();
    ASSERT_EQ(son.size(), sira.size() + 1);
    EXPECT_EQ(oku(Yol::yedekler() + "/" + son.back() + "/Belgeler/k0/belge 0.txt"), "belge 0\n");
    kapat();
}

TEST_F(Calisma, StopSignalKeepsTheUnfinishedCopyAndTheNextRunCompletesIt) {
    yavasKopya(100);
    pid_t pid = baslat({"--yedekle"});
    ASSERT_TRUE(bekleAsama("esitleme", pid));
    ::usleep(300000);
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGTERM);
    EXPECT_EQ(bekle(pid), 1);
    EXPECT_EQ(asamaAlani(2), "durduruldu");
    EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, "Backup stopped");
    auto gunluk = oku(Yol::gunluk()).value_or("");
    size_t ilk = gunluk.find("Stopped by user");
    ASSERT_NE(ilk, std::string::npos);
    EXPECT_EQ(gunluk.find("Stopped by user", ilk + 1), std::string::npos) << "logged once";
    EXPECT_TRUE(takili());
    EXPECT_TRUE(kopyalar().empty());
    EXPECT_TRUE(fs::is_directory(Yol::devam()));
    kapat();

    normalKopya();
    ASSERT_EQ(calistir({"--yedekle"}), 0) << oku(Yol::gunluk()).value_or("");
    auto k = kopyalar();
    ASSERT_EQ(k.size(), 1u);
    ayniOlmali(k[0]);
    EXPECT_FALSE(fs::exists(Yol::devam()));
    kapat();
}

TEST_F(Calisma, KilledEngineNeverLeavesAWrongCopy) {
    yavasKopya(400);
    std::mt19937 rastgele(std::random_device{}());
    for (int tur = 0; tur < 10; ++tur) {
        gerekirseTak();
        pid_t pid = baslat({"--yedekle"});
        ASSERT_TRUE(bekleAsama("esitleme", pid) || tur > 0) << "round " << tur;
        ::usleep(std::uniform_int_distribution<int>(0, 1500000)(rastgele));
        ::kill(-pid, SIGKILL);
        bekle(pid);
        for (const auto& k : Kopyalar::liste(Yol::yedekler())) ayniOlmali(k);
    }
    normalKopya();
    gerekirseTak();
    ASSERT_EQ(calistir({"--yedekle"}), 0) << oku(Yol::gunluk()).value_or("");
    auto k = kopyalar();
    ASSERT_FALSE(k.empty());
    for (const auto& ad : k) ayniOlmali(ad);
    EXPECT_FALSE(fs::exists(Yol::devam()));
    kapat();
}

TEST_F(Calisma, TwoRunsAtOnceOnlyOneBacksUpEvenOverAStaleLock) {
    for (bool bayat : {false, true}) {
        gerekirseTak();
        if (bayat) {
            fs::create_directories(Yol::kilit());
            pid_t olu = baslat({"--surum"});
            bekle(olu);
            dosya(Yol::kilitPid(), std::to_string(olu));
        }
        auto once = kopyalar();
        kapat();
        ::sleep(1);
        pid_t a = baslat({"--yedekle"}), b = baslat({"--yedekle"});
        int ka = bekle(a), kb = bekle(b);
        EXPECT_EQ(ka, 0);
        EXPECT_EQ(kb, 0);
        auto sonra = kopyalar();
        EXPECT_EQ(sonra.size(), once.size() + 1) << (bayat ? "stale lock" : "no lock");
        kapat();
        EXPECT_FALSE(fs::exists(Yol::kilit()));
    }
}

TEST_F(Calisma, FailuresKeepEverythingAndSayWhy) {
    ASSERT_EQ(calistir({"--yedekle"}), 0);
    disk->yenidenTak();
    struct Durum {
        std::string ad;
        std::function<void()> hazirla, geriAl;
        std::string baslik;
    };
    int acik = -1;
    Ayarlar eksik = ayarlar;
    eksik.kaynaklar.push_back(kaynak + "/Yok");
    Ayarlar butunDisk = ayarlar;
    butunDisk.kaynaklar = {disk->yol};
    std::vector<Durum> durumlar = {
        {"missing source", [&] { eksik.kaydet(); }, [&] { ayarlar.kaydet(); }, "A folder to back up was not found: Yok"},
        {"the whole backup disk as a source", [&] { butunDisk.kaydet(); }, [&] { ayarlar.kaydet(); },
         "A folder to back up contains the backup disk: " + fs::path(disk->yol).filename().string()},
        {"wrong password", [] { setenv("BRIMVALE_PAROLA", "yanlis", 1); }, [] { setenv("BRIMVALE_PAROLA", kParola, 1); },
         "The encrypted backup could not be opened"},
        // Open read-only with a file in use, as the restore browser may hold it.
        {"open in restore",
         [&] {
             ASSERT_EQ(Disk::imajiBagla(imaj, true, ayarlar), std::nullopt);
             acik = ::open(Yol::yedekler().c_str(), O_RDONLY | O_DIRECTORY);
         },
         [&] {
             ::close(acik);
             kapat();
         },
         "The backup is open in Restore"},
    };
    for (const auto& d : durumlar) {
        d.hazirla();
        EXPECT_EQ(calistir({"--yedekle"}), 1) << d.ad;
        d.geriAl();
        EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, d.baslik) << d.ad;
        EXPECT_EQ(asamaAlani(2), "hata") << d.ad;
        EXPECT_TRUE(takili()) << d.ad << ": the disk stays";
        EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok) << d.ad;
        EXPECT_EQ(kopyalar().size(), 1u) << d.ad;
        kapat();
    }

    // More to copy than the disk holds: nothing is deleted beyond the last copy.
    { std::ofstream(kaynak + "/Resimler/dev.bin").close(); }
    fs::resize_file(kaynak + "/Resimler/dev.bin", 400ull << 20);
    calistir({"--yedekle"});
    EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, "Not enough space on the backup disk");
    EXPECT_EQ(asamaAlani(2), "hata");
    EXPECT_FALSE(takili()) << "the disk is ejected";
    auto k = kopyalar();
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(oku(Yol::yedekler() + "/" + k[0] + "/Belgeler/k5/belge 5.txt"), "belge 5\n");
    kapat();
}

// A full backup disk: the result says what happened and only that; no copy
// is given up for a backup that could never fit.
TEST_F(Calisma, NoSpaceSaysWhatHappened) {
    ASSERT_EQ(calistir({"--yedekle"}), 0);
    disk->yenidenTak();
    // Copy names have whole seconds.
    for (time_t t = ::time(nullptr); ::time(nullptr) == t;) ::usleep(20000);
    ASSERT_EQ(calistir({"--yedekle"}), 0);
    auto once = kopyalar();
    ASSERT_EQ(once.size(), 2u);
    kapat();
    // Another writer fills the disk after room was checked, as the copy starts.
    const std::string dolu = disk->yol + "/baska-yazar";
    auto doldur = [&](const std::string& nasil) {
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik("case \" $* \" in *\" --stats \"*) mkdir -p '" + dolu + "' && cd '" + dolu + "' && " + nasil +
                    ";; esac\nexec /usr/bin/rsync \"$@\"");
    };
    const std::string baytlar =
        "fallocate -l $(( ($(stat -f -c %f .) - 256) * $(stat -f -c %S .) )) buyuk; "
        "dd if=/dev/zero of=kalan bs=64k 2>/dev/null";
    const std::string dosyalar = "seq 1 1000000 | xargs touch 2>/dev/null";
    struct Durum {
        std::string ad;
        std::function<void()> hazirla;
        std::string baslik;
    };
    std::vector<Durum> durumlar = {
        {"larger than the whole disk",
         [&] { fs::resize_file(kaynak + "/Resimler/dev.bin", 400ull << 20); },
         "Not enough space on the backup disk"},
        {"filled by another writer", [&] { doldur(baytlar); }, "Not enough space on the backup disk"},
        {"out of files", [&] { doldur(dosyalar); }, "The backup disk cannot hold more files"},
    };
    { std::ofstream(kaynak + "/Resimler/dev.bin").close(); }
    for (const auto& d : durumlar) {
        gerekirseTak();
        d.hazirla();
        EXPECT_EQ(calistir({"--yedekle"}), 1) << d.ad;
        auto sonuc = YedekSonucu::oku().value_or(YedekSonucu{});
        EXPECT_EQ(sonuc.baslik, d.baslik) << d.ad << ": " << sonuc.teknik;
        EXPECT_EQ(sonuc.aciklama.find("deleted the oldest"), std::string::npos) << d.ad << ": " << sonuc.aciklama;
        EXPECT_NE(sonuc.aciklama.find("No backup was deleted"), std::string::npos) << d.ad << ": " << sonuc.aciklama;
        EXPECT_EQ(asamaAlani(2), "hata") << d.ad;
        EXPECT_EQ(kopyalar(), once) << d.ad;
        kapat();
        fs::remove_all(dolu);
        fs::resize_file(kaynak + "/Resimler/dev.bin", 0);
        normalKopya();
    }
}

TEST_F(Calisma, CommandsAroundTheImage) {
    ASSERT_EQ(calistir({"--yedekle"}), 0);
    disk->yenidenTak();
    ::sleep(1);
    ASSERT_EQ(calistir({"--yedekle"}), 0);
    disk->yenidenTak();
    auto k = kopyalar();
    ASSERT_EQ(k.size(), 2u);
    kapat();

    KomutSonucu s = komut(TestOrtami::calistirilabilir(), {"--kopya-sil", k[1]});
    EXPECT_EQ(s.kod, 1);
    EXPECT_EQ(s.cikti, "refused: " + k[1] + " is not a dated backup, or it is the newest one\n");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    s = komut(TestOrtami::calistirilabilir(), {"--kopya-sil", k[0]});
    EXPECT_EQ(s.kod, 0) << s.cikti;
    EXPECT_EQ(s.cikti.rfind("silindi: " + k[0] + "; imajın içinde açılan yer: ", 0), 0u) << s.cikti;
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);

    fs::remove(disk->yol + "/RESTORE-README.txt");
    s = komut(TestOrtami::calistirilabilir(), {"--kurtulus-yaz"});
    EXPECT_EQ(s.kod, 0) << s.cikti;
    EXPECT_EQ(s.cikti, "yazıldı: " + disk->yol + "/Ondrak-Brimvale.dmg, .sha256, RESTORE-README.txt; imajda meta/tarif.json\n");
    EXPECT_TRUE(fs::exists(disk->yol + "/RESTORE-README.txt"));

    // A lock held by a live process: the commands that change the image refuse.
    fs::create_directories(Yol::kilit());
    dosya(Yol::kilitPid(), std::to_string(::getpid()));
    for (const char* bayrak : {"--sikistir", "--kurtulus-yaz"}) {
        s = komut(TestOrtami::calistirilabilir(), {bayrak});
        EXPECT_EQ(s.kod, 2) << bayrak;
        EXPECT_EQ(s.cikti, "a backup is running\n") << bayrak;
    }
    s = komut(TestOrtami::calistirilabilir(), {"--cikar"});
    EXPECT_EQ(s.kod, 2);
    fs::remove_all(Yol::kilit());

    s = komut(TestOrtami::calistirilabilir(), {"--cikar"});
    EXPECT_EQ(s.kod, 0) << s.cikti;
    EXPECT_EQ(s.cikti, "Disk ejected; you can unplug it now.\n");
    EXPECT_FALSE(takili());
    s = komut(TestOrtami::calistirilabilir(), {"--cikar"});
    EXPECT_EQ(s.kod, 0);
    EXPECT_EQ(s.cikti, "The backup disk is not connected; if the cable is plugged in, you can unplug it safely.\n");
}
