// Whole backup runs as root: a loop-device disk with ext4 mounted like an
// external disk, its encrypted image, source folders of a few thousand
// files, and the built program run as the agent or by hand. What the parts
// decide is left to their own tests; these check that the program puts them
// together on a real disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>

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

namespace {

const char* kParola = "Calisma parolasi 7";

std::string asamaAlani(size_t i) {
    auto alanlar = Metin::bol(Metin::kirp(oku(Yol::asama()).value_or("")), '\t', false);
    return i < alanlar.size() ? alanlar[i] : "";
}

YedekSonucu sonuc() { return YedekSonucu::oku().value_or(YedekSonucu{}); }

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
        if (imajla) {
            ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, kParola), std::nullopt);
        }
    }

    // A failed test must not leave a run waiting for an answer on a disk that goes.
    void TearDown() override {
        for (pid_t pid : baslatilanlar) ::kill(-pid, SIGKILL);
        for (pid_t pid : baslatilanlar) ::waitpid(pid, nullptr, 0);
        if (disk && Disk::imajDurumu() != Disk::Baglanti::yok) komut("/usr/bin/fusermount3", {"-u", "-z", Yol::mnt()});
    }

    // The built program, remembered so that none outlives the test.
    pid_t baslat(const std::vector<std::string>& args) {
        pid_t pid = TestOrtami::baslat(args);
        baslatilanlar.push_back(pid);
        return pid;
    }
    int calistir(const std::vector<std::string>& args) { return TestOrtami::bitis(baslat(args)); }
    // Waits until the run started as `pid` reaches `asama`; false if it ended first.
    bool asamada(const std::string& asama, pid_t pid) {
        bool bitti = false;
        kosulBekle([&] { return asamaAlani(0) == asama || (bitti = ::waitpid(pid, nullptr, WNOHANG) == pid); }, 30);
        return !bitti && asamaAlani(0) == asama;
    }

    bool takili() { return Disk::birim(ayarlar.diskUUID).has_value(); }
    void gerekirseTak() {
        if (!takili()) disk->yenidenTak();
    }
    // Copy names have whole seconds: the next run starts in a new one.
    void yeniSaniye() {
        time_t t = ::time(nullptr);
        kosulBekle([&] { return ::time(nullptr) != t; }, 2);
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
    // Runs `sonra` as the real copy pass (not the dry run) begins, then the pass
    // (slowed to `kbSaniye` when given) so a test can act during it.
    void kopyadaOnce(const std::string& sonra, int kbSaniye = 0) {
        SahteArac rsync(TestOrtami::araclar(), "rsync");
        std::string hiz = kbSaniye ? " --bwlimit=" + std::to_string(kbSaniye) : "";
        rsync.betik("case \" $* \" in *\" --stats \"*) " + sonra + "\nexec /usr/bin/rsync" + hiz + " \"$@\";; esac\n"
                    "exec /usr/bin/rsync \"$@\"");
    }
};

// The driver up to the run, on a disk without an image.
struct Surucu : Calisma {
    void SetUp() override { kur(false); }
};

}  // namespace

TEST_F(Calisma, FirstCopyThenIncrementalHoldWhatTheComputerHolds) {
    ASSERT_EQ(calistir({"--yedekle"}), 0) << gunluk();
    EXPECT_EQ(asamaAlani(0), "bosta");
    EXPECT_EQ(asamaAlani(2), "bitti");
    EXPECT_EQ(sonuc().baslik, "Backup complete");
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
    EXPECT_EQ(oku(a + "/Belgeler/k1/belge 1.txt"), "belge 1\n") << "an edit reached the older copy";
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

    // A new connection asks again; "yedekle" makes the first copy.
    disk->yenidenTak();
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    ASSERT_EQ(calistir({"--ajan"}), 0) << gunluk();
    EXPECT_EQ(asamaAlani(2), "bitti");
    EXPECT_EQ(kopyalar().size(), 1u);
    kapat();
}

// A stop signal ends the run with the unfinished copy kept; a kill at a random
// point of the copy (BRIMVALE_TOHUM repeats a run's points) never leaves a
// wrong copy. A run after either completes.
TEST_F(Calisma, StoppedOrKilledEngineNeverLeavesAWrongCopy) {
    kopyadaOnce("", 100);
    pid_t pid = baslat({"--yedekle"});
    ASSERT_TRUE(asamada("esitleme", pid));
    ASSERT_TRUE(kosulBekle([] { return ogeSayisi(Yol::devam()) > 1; }, 30)) << "the copy never began";
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGTERM);
    EXPECT_EQ(TestOrtami::bitis(pid), 1);
    EXPECT_EQ(asamaAlani(2), "durduruldu");
    EXPECT_EQ(sonuc().baslik, "Backup stopped");
    size_t ilk = gunluk().find("Stopped by user");
    ASSERT_NE(ilk, std::string::npos);
    EXPECT_EQ(gunluk().find("Stopped by user", ilk + 1), std::string::npos) << "logged once";
    EXPECT_TRUE(takili());
    EXPECT_TRUE(kopyalar().empty());
    EXPECT_TRUE(fs::is_directory(Yol::devam()));
    kapat();

    const char* verilen = std::getenv("BRIMVALE_TOHUM");
    unsigned tohum = verilen ? static_cast<unsigned>(std::stoul(verilen)) : std::random_device{}();
    std::cout << "BRIMVALE_TOHUM=" << tohum << std::endl;
    RecordProperty("BRIMVALE_TOHUM", std::to_string(tohum));
    SCOPED_TRACE("BRIMVALE_TOHUM=" + std::to_string(tohum));
    std::mt19937 rastgele(tohum);
    kopyadaOnce("", 400);
    for (int tur = 0; tur < 10; ++tur) {
        gerekirseTak();
        pid = baslat({"--yedekle"});
        ASSERT_TRUE(asamada("esitleme", pid) || tur > 0) << "round " << tur;
        // Killed once this many files are in the unfinished copy, or when the run ends.
        size_t esik = std::uniform_int_distribution<size_t>(0, 2100)(rastgele);
        kosulBekle([&] { return ogeSayisi(Yol::devam()) >= esik || asamaAlani(0) != "esitleme"; }, 60);
        ::kill(-pid, SIGKILL);
        TestOrtami::bitis(pid);
        for (const auto& k : Kopyalar::liste(Yol::yedekler())) ayniOlmali(k);
    }
    fs::remove(TestOrtami::araclar() + "/rsync");
    auto k = yedekle(1);
    ASSERT_FALSE(k.empty());
    kopyalar();
    for (const auto& ad : k) ayniOlmali(ad);
    EXPECT_FALSE(fs::exists(Yol::devam()));
    kapat();
}

// A run that fails keeps every copy and says why; the image is left detached.
// A disk that is full is ejected; no copy is given up for a backup that could
// never fit. Otherwise the disk stays for the user.
TEST_F(Calisma, FailuresKeepEveryCopyAndSayWhy) {
    auto once = yedekle(2);
    ASSERT_EQ(once.size(), 2u);
    const std::string dolu = disk->yol + "/baska-yazar", dev = kaynak + "/Resimler/dev.bin";
    TestOrtami::dosyaYaz(dev, "");
    // Another writer fills the disk after room was checked, as the copy starts.
    auto doldur = [&](const std::string& nasil) {
        kopyadaOnce("mkdir -p '" + dolu + "' && cd '" + dolu + "' && " + nasil);
    };
    Ayarlar eksik = ayarlar;
    eksik.kaynaklar.push_back(kaynak + "/Yok");
    int acik = -1;
    struct Durum { std::string ad; std::function<void()> hazirla; std::string baslik; bool yerYok; };
    for (const auto& d : std::vector<Durum>{
             {"missing source", [&] { eksik.kaydet(); }, "A folder to back up was not found: Yok", false},
             {"wrong password", [] { setenv("BRIMVALE_PAROLA", "yanlis", 1); },
              "The encrypted backup could not be opened", false},
             // Open read-only with a file in use, as the restore browser may hold it.
             {"open in restore",
              [&] {
                  ASSERT_EQ(Disk::imajiBagla(imaj, true, ayarlar), std::nullopt);
                  acik = ::open(Yol::yedekler().c_str(), O_RDONLY | O_DIRECTORY);
              },
              "The backup is open in Restore", false},
             {"larger than the whole disk", [&] { fs::resize_file(dev, 400ull << 20); },
              "Not enough space on the backup disk", true},
             {"filled by another writer",
              [&] {
                  doldur("fallocate -l $(( ($(stat -f -c %f .) - 256) * $(stat -f -c %S .) )) buyuk; "
                         "dd if=/dev/zero of=kalan bs=64k 2>/dev/null");
              },
              "Not enough space on the backup disk", true},
             {"out of files", [&] { doldur("seq 1 1000000 | xargs touch 2>/dev/null"); },
              "The backup disk cannot hold more files", true},
         }) {
        gerekirseTak();
        d.hazirla();
        EXPECT_EQ(calistir({"--yedekle"}), 1) << d.ad;
        if (acik >= 0) {
            ::close(std::exchange(acik, -1));
            kapat();
        }
        ayarlar.kaydet();
        setenv("BRIMVALE_PAROLA", kParola, 1);
        fs::remove(TestOrtami::araclar() + "/rsync");
        auto s = sonuc();
        EXPECT_EQ(s.baslik, d.baslik) << d.ad << ": " << s.teknik;
        EXPECT_EQ(s.aciklama.find("No backup was deleted") != std::string::npos, d.yerYok) << d.ad << s.aciklama;
        EXPECT_EQ(asamaAlani(2), "hata") << d.ad;
        EXPECT_EQ(takili(), !d.yerYok) << d.ad << ": only a full disk is ejected";
        EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok) << d.ad;
        EXPECT_EQ(kopyalar(), once) << d.ad;
        EXPECT_EQ(oku(Yol::yedekler() + "/" + once[1] + "/Belgeler/k5/belge 5.txt"), "belge 5\n") << d.ad;
        kapat();
        fs::remove_all(dolu);
        fs::resize_file(dev, 0);
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
    // Deleting a copy attaches the image and detaches it again.
    std::string s = cikti({"--kopya-sil", k[0]}, 0);
    EXPECT_EQ(s.rfind("silindi: " + k[0] + "; imajın içinde açılan yer: ", 0), 0u) << s;
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);

    fs::remove(disk->yol + "/RESTORE-README.txt");
    EXPECT_EQ(cikti({"--kurtulus-yaz"}, 0),
              "yazıldı: " + disk->yol + "/Ondrak-Brimvale.dmg, .sha256, RESTORE-README.txt; imajda meta/tarif.json\n");
    EXPECT_TRUE(fs::exists(disk->yol + "/RESTORE-README.txt"));

    // A lock held by a live process: the manual eject refuses (the image
    // commands share one refusal, checked with the disk's own commands).
    fs::create_directories(Yol::kilit());
    TestOrtami::dosyaYaz(Yol::kilitPid(), std::to_string(::getpid()));
    cikti({"--cikar"}, 2);
}

// Before the run: a state folder that cannot be written (or made) fails it
// and says which. A disk without an image is no failure.
TEST_F(Surucu, StateFolderThenADiskWithoutAnImage) {
    const std::string durum = Yol::durum(), yazilamaz = "the state folder " + durum + " cannot be written";
    // Read-only for root too: bound onto itself and remounted read-only.
    ASSERT_EQ(komut("/bin/mount", {"--bind", durum, durum}).kod, 0);
    EXPECT_EQ(komut("/bin/mount", {"-o", "remount,bind,ro", durum}).kod, 0);
    // The command that mounts the image inside the state folder names it too.
    for (const auto& [bayrak, klasor, beklenen] : std::vector<std::array<std::string, 3>>{
             {"--yedekle", durum, yazilamaz}, {"--ac", durum, yazilamaz}, {"--ajan", durum + "/alt", durum + "/alt"}}) {
        setenv("BRIMVALE_DURUM", klasor.c_str(), 1);
        auto c = TestOrtami::calistir({bayrak});
        EXPECT_EQ(c.kod, 1) << bayrak << ": " << c.cikti << c.hata;
        EXPECT_NE((c.cikti + c.hata).find(beklenen), std::string::npos) << bayrak << ": " << c.cikti << c.hata;
        EXPECT_FALSE(fs::exists(Yol::kilit())) << bayrak;
    }
    setenv("BRIMVALE_DURUM", durum.c_str(), 1);
    komut("/bin/umount", {durum});

    auto c = TestOrtami::calistir({"--yedekle"});
    EXPECT_EQ(c.kod, 0) << c.cikti << c.hata;
    EXPECT_NE(gunluk().find("no image: " + disk->yol), std::string::npos);
    EXPECT_FALSE(fs::exists(Yol::kilit()));
}
