// Whole backup runs as root: a loop-device disk with ext4 mounted like an
// external disk, its encrypted image, source folders of a few thousand
// files, and the built program run as the agent or by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <thread>

#include "agent/Kurulum.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using TestOrtami::gunluk;
extern char** environ;

namespace {

const char* kParola = "Calisma parolasi 7";

// Waits until `kosul` holds, for at most `saniye`.
bool bekle(const std::function<bool()>& kosul, int saniye = 30) {
    auto son = std::chrono::steady_clock::now() + std::chrono::seconds(saniye);
    while (!kosul()) {
        if (std::chrono::steady_clock::now() > son) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Copy names have whole seconds: the next run starts in a new one.
void yeniSaniye() {
    time_t t = ::time(nullptr);
    bekle([&] { return ::time(nullptr) != t; });
}

int bitis(pid_t pid) {
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

std::string asamaAlani(size_t i) {
    auto alanlar = Metin::bol(Metin::kirp(oku(Yol::asama()).value_or("")), '\t', false);
    return i < alanlar.size() ? alanlar[i] : "";
}

ino_t inode(const std::string& yol) { return TestOrtami::durum(yol).st_ino; }

size_t ogeSayisi(const std::string& klasor) {
    std::error_code ec;
    size_t n = 0;
    for (fs::recursive_directory_iterator i(klasor, ec), son; !ec && i != son; i.increment(ec)) ++n;
    return n;
}

// A disk with its image (or without, for the driver's own checks), sources
// of 2000 files and settings naming both; the built program runs on them.
class Calisma : public ::testing::Test {
protected:
    std::unique_ptr<DenemeDiski> disk;
    std::string kaynak, imaj;
    Ayarlar ayarlar;
    std::vector<pid_t> baslatilanlar;

    void SetUp() override { kur(true); }
    void kur(bool imajla) {
        if (auto e = imajla ? DenemeDiski::imajEksik() : DenemeDiski::eksik(); !e.empty()) GTEST_SKIP() << e;
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        DenemeDiski::yardimcilariKur();
        disk = std::make_unique<DenemeDiski>(imajla ? "BRIMRUN" : "BRIMSUR", imajla ? 256 : 64);
        setenv("BRIMVALE_PAROLA", kParola, 1);
        kaynak = TestOrtami::kok() + "/bilgisayar";
        for (int i = 0; i < 1500; ++i)
            TestOrtami::dosyaYaz(kaynak + "/Belgeler/k" + std::to_string(i % 30) + "/belge " + std::to_string(i) + ".txt",
                                 "belge " + std::to_string(i) + "\n");
        for (int i = 0; i < 500; ++i)
            TestOrtami::dosyaYaz(kaynak + "/Resimler/r" + std::to_string(i) + ".jpg", std::string(200, 'r'));
        fs::create_symlink("../Belgeler", kaynak + "/Resimler/bag");
        ayarlar.diskUUID = disk->uuid;
        ayarlar.kaynaklar = {kaynak + "/Belgeler", kaynak + "/Resimler"};
        ayarlar.seyrelt = false;
        ayarlar.kaydet();
        imaj = disk->yol + "/" + ayarlar.imajAdi;
        Birim birim{disk->uuid, disk->etiket, disk->yol, Disk::toplamYer(disk->yol), Disk::bosYer(disk->yol)};
        if (imajla) ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, kParola), std::nullopt);
    }

    // A failed test must not leave a run waiting for an answer on a disk that goes.
    void TearDown() override {
        for (pid_t pid : baslatilanlar) ::kill(-pid, SIGKILL);
        for (pid_t pid : baslatilanlar) ::waitpid(pid, nullptr, 0);
        if (disk && Disk::imajDurumu() != Disk::Baglanti::yok) komut("/usr/bin/fusermount3", {"-u", "-z", Yol::mnt()});
    }

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
    int calistir(const std::vector<std::string>& args) { return bitis(baslat(args)); }
    // Waits until the run started as `pid` reaches `asama`; false if it ended first.
    bool asamada(const std::string& asama, pid_t pid) {
        bool bitti = false;
        bekle([&] { return asamaAlani(0) == asama || (bitti = ::waitpid(pid, nullptr, WNOHANG) == pid); });
        return !bitti && asamaAlani(0) == asama;
    }

    bool takili() { return Disk::birim(ayarlar.diskUUID).has_value(); }
    void gerekirseTak() {
        if (!takili()) disk->yenidenTak();
    }
    // `n` backups by hand, each in a second of its own; the copies then.
    std::vector<std::string> yedekle(int n) {
        for (int i = 0; i < n; ++i) {
            gerekirseTak();
            yeniSaniye();
            EXPECT_EQ(calistir({"--yedekle"}), 0) << gunluk();
        }
        auto k = kopyalar();
        kapat();
        return k;
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

// The driver up to the run, on a disk without an image.
struct Surucu : Calisma {
    void SetUp() override { kur(false); }
};

// The folder made read-only for root too, for as long as this lives.
struct SaltOkunur {
    std::string yol;
    bool bagli = false;
    explicit SaltOkunur(std::string y) : yol(std::move(y)) {
        bagli = komut("/bin/mount", {"--bind", yol, yol}).kod == 0;
        if (bagli) EXPECT_EQ(komut("/bin/mount", {"-o", "remount,bind,ro", yol}).kod, 0);
    }
    ~SaltOkunur() {
        if (bagli) komut("/bin/umount", {yol});
    }
};

}  // namespace

TEST_F(Calisma, FirstCopyThenIncrementalLinksEveryUnchangedFile) {
    ASSERT_EQ(calistir({"--yedekle"}), 0) << gunluk();
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
    TestOrtami::dosyaYaz(kaynak + "/Belgeler/k1/belge 1.txt", "yeni icerik\n");
    fs::remove(kaynak + "/Belgeler/k2/belge 2.txt");
    TestOrtami::dosyaYaz(kaynak + "/Resimler/buyuk.bin", std::string(3 << 20, 'B'));
    setenv("BRIMVALE_BUYUK_ESIK", "2000000", 1);
    setenv("BRIMVALE_CEVAP", "yedekle", 1);  // a deletion means the question is asked
    auto iki = yedekle(1);
    EXPECT_NE(gunluk().find("Large files: 1 copied"), std::string::npos);
    ASSERT_EQ(iki.size(), 2u);
    kopyalar();
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
    std::string once = gunluk();
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0);
    EXPECT_EQ(gunluk(), once);
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
    TestOrtami::dosyaYaz(kaynak + "/Belgeler/k0/belge 30.txt", "burada yeni bir surum var\n");  // also deleted, but recreated
    disk->yenidenTak();
    auto sira = kopyalar();
    kapat();
    setenv("BRIMVALE_SEC", "0", 1);
    yeniSaniye();
    ASSERT_EQ(calistir({"--ajan"}), 0) << gunluk();
    EXPECT_EQ(oku(silinen), "belge 0\n");
    auto son = kopyalar();
    ASSERT_EQ(son.size(), sira.size() + 1);
    EXPECT_EQ(oku(Yol::yedekler() + "/" + son.back() + "/Belgeler/k0/belge 0.txt"), "belge 0\n");
    kapat();
}

TEST_F(Calisma, StopSignalKeepsTheUnfinishedCopyAndTheNextRunCompletesIt) {
    yavasKopya(100);
    pid_t pid = baslat({"--yedekle"});
    ASSERT_TRUE(asamada("esitleme", pid));
    ASSERT_TRUE(bekle([] { return ogeSayisi(Yol::devam()) > 1; })) << "the copy never began";
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGTERM);
    EXPECT_EQ(bitis(pid), 1);
    EXPECT_EQ(asamaAlani(2), "durduruldu");
    EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, "Backup stopped");
    size_t ilk = gunluk().find("Stopped by user");
    ASSERT_NE(ilk, std::string::npos);
    EXPECT_EQ(gunluk().find("Stopped by user", ilk + 1), std::string::npos) << "logged once";
    EXPECT_TRUE(takili());
    EXPECT_TRUE(kopyalar().empty());
    EXPECT_TRUE(fs::is_directory(Yol::devam()));
    kapat();

    normalKopya();
    auto k = yedekle(1);
    ASSERT_EQ(k.size(), 1u);
    kopyalar();
    ayniOlmali(k[0]);
    EXPECT_FALSE(fs::exists(Yol::devam()));
    kapat();
}

// Killed at a random point of the copy (BRIMVALE_TOHUM repeats a run's points).
TEST_F(Calisma, KilledEngineNeverLeavesAWrongCopy) {
    const char* verilen = std::getenv("BRIMVALE_TOHUM");
    unsigned tohum = verilen ? static_cast<unsigned>(std::stoul(verilen)) : std::random_device{}();
    std::cout << "BRIMVALE_TOHUM=" << tohum << std::endl;
    RecordProperty("BRIMVALE_TOHUM", std::to_string(tohum));
    SCOPED_TRACE("BRIMVALE_TOHUM=" + std::to_string(tohum));
    std::mt19937 rastgele(tohum);
    yavasKopya(400);
    for (int tur = 0; tur < 10; ++tur) {
        gerekirseTak();
        pid_t pid = baslat({"--yedekle"});
        ASSERT_TRUE(asamada("esitleme", pid) || tur > 0) << "round " << tur;
        // Killed once this many files are in the unfinished copy, or when the run ends.
        size_t esik = std::uniform_int_distribution<size_t>(0, 2100)(rastgele);
        bekle([&] { return ogeSayisi(Yol::devam()) >= esik || asamaAlani(0) != "esitleme"; }, 60);
        ::kill(-pid, SIGKILL);
        bitis(pid);
        for (const auto& k : Kopyalar::liste(Yol::yedekler())) ayniOlmali(k);
    }
    normalKopya();
    auto k = yedekle(1);
    ASSERT_FALSE(k.empty());
    kopyalar();
    for (const auto& ad : k) ayniOlmali(ad);
    EXPECT_FALSE(fs::exists(Yol::devam()));
    kapat();
}

TEST_F(Calisma, FailuresKeepEverythingAndSayWhy) {
    yedekle(1);
    struct Durum { std::string ad; std::function<void()> hazirla, geriAl; std::string baslik; };
    int acik = -1;
    Ayarlar eksik = ayarlar;
    eksik.kaynaklar.push_back(kaynak + "/Yok");
    for (const auto& d : std::vector<Durum>{
             {"missing source", [&] { eksik.kaydet(); }, [&] { ayarlar.kaydet(); }, "A folder to back up was not found: Yok"},
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
         }) {
        gerekirseTak();
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
}

// A full backup disk: the result says what happened and only that; no copy
// is given up for a backup that could never fit, and the disk is ejected.
TEST_F(Calisma, NoSpaceSaysWhatHappened) {
    auto once = yedekle(2);
    ASSERT_EQ(once.size(), 2u);
    // Another writer fills the disk after room was checked, as the copy starts.
    const std::string dolu = disk->yol + "/baska-yazar";
    auto doldur = [&](const std::string& nasil) {
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        rsync.betik("case \" $* \" in *\" --stats \"*) mkdir -p '" + dolu + "' && cd '" + dolu + "' && " + nasil +
                    ";; esac\nexec /usr/bin/rsync \"$@\"");
    };
    struct Durum { std::string ad; std::function<void()> hazirla; std::string baslik; };
    { std::ofstream(kaynak + "/Resimler/dev.bin").close(); }
    for (const auto& d : std::vector<Durum>{
             {"larger than the whole disk", [&] { fs::resize_file(kaynak + "/Resimler/dev.bin", 400ull << 20); },
              "Not enough space on the backup disk"},
             {"filled by another writer",
              [&] {
                  doldur("fallocate -l $(( ($(stat -f -c %f .) - 256) * $(stat -f -c %S .) )) buyuk; "
                         "dd if=/dev/zero of=kalan bs=64k 2>/dev/null");
              },
              "Not enough space on the backup disk"},
             {"out of files", [&] { doldur("seq 1 1000000 | xargs touch 2>/dev/null"); },
              "The backup disk cannot hold more files"},
         }) {
        gerekirseTak();
        d.hazirla();
        EXPECT_EQ(calistir({"--yedekle"}), 1) << d.ad;
        auto sonuc = YedekSonucu::oku().value_or(YedekSonucu{});
        EXPECT_EQ(sonuc.baslik, d.baslik) << d.ad << ": " << sonuc.teknik;
        EXPECT_EQ(sonuc.aciklama.find("deleted the oldest"), std::string::npos) << d.ad << ": " << sonuc.aciklama;
        EXPECT_NE(sonuc.aciklama.find("No backup was deleted"), std::string::npos) << d.ad << ": " << sonuc.aciklama;
        EXPECT_EQ(asamaAlani(2), "hata") << d.ad;
        EXPECT_FALSE(takili()) << d.ad << ": the disk is ejected";
        EXPECT_EQ(kopyalar(), once) << d.ad;
        EXPECT_EQ(oku(Yol::yedekler() + "/" + once[1] + "/Belgeler/k5/belge 5.txt"), "belge 5\n") << d.ad;
        kapat();
        fs::remove_all(dolu);
        fs::resize_file(kaynak + "/Resimler/dev.bin", 0);
        normalKopya();
    }
}

TEST_F(Calisma, CommandsAroundTheImage) {
    auto k = yedekle(2);
    ASSERT_EQ(k.size(), 2u);
    auto cikti = [](const std::vector<std::string>& args, int kod) {
        auto c = TestOrtami::calistir(args);
        EXPECT_EQ(c.kod, kod) << args[0] << ": " << c.cikti << c.hata;
        return c.cikti + c.hata;
    };
    EXPECT_EQ(cikti({"--kopya-sil", k[1]}, 1), "refused: " + k[1] + " is not a dated backup, or it is the newest one\n");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    std::string s = cikti({"--kopya-sil", k[0]}, 0);
    EXPECT_EQ(s.rfind("silindi: " + k[0] + "; imajın içinde açılan yer: ", 0), 0u) << s;
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);

    fs::remove(disk->yol + "/RESTORE-README.txt");
    EXPECT_EQ(cikti({"--kurtulus-yaz"}, 0),
              "yazıldı: " + disk->yol + "/Ondrak-Brimvale.dmg, .sha256, RESTORE-README.txt; imajda meta/tarif.json\n");
    EXPECT_TRUE(fs::exists(disk->yol + "/RESTORE-README.txt"));

    // A lock held by a live process: the commands that change the image refuse.
    fs::create_directories(Yol::kilit());
    TestOrtami::dosyaYaz(Yol::kilitPid(), std::to_string(::getpid()));
    for (const char* bayrak : {"--sikistir", "--kurtulus-yaz"}) EXPECT_EQ(cikti({bayrak}, 2), "a backup is running\n");
    cikti({"--cikar"}, 2);
    fs::remove_all(Yol::kilit());

    EXPECT_EQ(cikti({"--cikar"}, 0), "Disk ejected; you can unplug it now.\n");
    EXPECT_FALSE(takili());
    EXPECT_EQ(cikti({"--cikar"}, 0),
              "The backup disk is not connected; if the cable is plugged in, you can unplug it safely.\n");
}

TEST_F(Surucu, AStateFolderThatCannotBeWrittenFailsTheRunAndSaysWhich) {
    std::string durum = Yol::durum();
    SaltOkunur salt(durum);
    ASSERT_TRUE(salt.bagli);
    auto yazilamaz = [&](const std::string& bayrak, const std::string& klasor) {
        auto c = TestOrtami::calistir({bayrak});
        EXPECT_EQ(c.kod, 1) << bayrak << ": " << c.cikti << c.hata;
        EXPECT_NE((c.cikti + c.hata).find(klasor), std::string::npos) << bayrak << ": " << c.cikti << c.hata;
    };
    yazilamaz("--yedekle", "the state folder " + durum + " cannot be written");
    EXPECT_FALSE(fs::exists(Yol::kilit()));
    // A command that mounts the image inside the state folder names it too.
    yazilamaz("--ac", "the state folder " + durum + " cannot be written");
    // A state folder that cannot even be created.
    setenv("BRIMVALE_DURUM", (durum + "/alt").c_str(), 1);
    yazilamaz("--ajan", durum + "/alt");
}

TEST_F(Surucu, ALockWhosePidWasReusedDoesNotStopTheRun) {
    pid_t uyuyan = fork();
    if (uyuyan == 0) {
        execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(uyuyan, 0);
    // The lock of an engine that died; its pid now names the sleeping process.
    fs::create_directories(Yol::kilit());
    atomikYaz(Yol::kilitPid(), std::to_string(uyuyan));
    atomikYaz(Yol::kilitBaslangic(), "1");
    auto c = TestOrtami::calistir({"--yedekle"});
    ::kill(uyuyan, SIGKILL);
    waitpid(uyuyan, nullptr, 0);
    EXPECT_EQ(c.kod, 0) << c.cikti << c.hata;
    // It ran: the disk has no image yet, which it logged, and it let the lock go.
    EXPECT_NE(gunluk().find("no image: " + disk->yol), std::string::npos);
    EXPECT_FALSE(fs::exists(Yol::kilit()));
}
