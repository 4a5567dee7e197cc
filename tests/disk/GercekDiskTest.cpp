// The real thing as root: a loop-device disk with ext4 mounted like an
// external disk, the stand-ins behind the engine, gocryptfs under the image.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "agent/Kurulum.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

using TestOrtami::calistir;

// Whether some file under `kok` holds `parca`.
bool iceren(const std::string& kok, const std::string& parca) {
    return komut("/usr/bin/grep", {"-rlF", "--", parca, kok}).kod == 0;
}

// The gocryptfs process serving the mount point.
std::optional<pid_t> sunucu(const std::string& yer) {
    auto pid = Metin::sayi(Metin::kirp(komut("/usr/bin/pgrep", {"-o", "-f", "gocryptfs.*" + yer}).cikti));
    return pid ? std::optional<pid_t>(static_cast<pid_t>(*pid)) : std::nullopt;
}

// Every test of the real thing: the stand-ins in the tool folder, and on
// request a loop disk named in the settings with an encrypted image on it.
struct GercekDisk : testing::Test {
    std::optional<DenemeDiski> disk;
    Ayarlar a;
    std::string imaj;
    void SetUp() override {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        DenemeDiski::yardimcilariKur();
    }
    // Someone else's gocryptfs that a test mounted.
    void TearDown() override { komut("/usr/bin/fusermount3", {"-u", "-z", TestOrtami::kok() + "/baska"}); }
    // Why it cannot be had here, or "". The commands run get `parola` in BRIMVALE_PAROLA.
    std::string imajliDisk(const std::string& etiket, const std::string& parola, int megabayt = 64) {
        if (auto e = DenemeDiski::imajEksik(); !e.empty()) return e;
        disk.emplace(etiket, megabayt);
        a.diskUUID = disk->uuid;
        a.kaydet();
        Birim b{disk->uuid, disk->etiket, disk->yol, Disk::toplamYer(disk->yol), Disk::bosYer(disk->yol)};
        if (Kurulum::imajOlustur(b, a, parola)) throw std::runtime_error("no image made on " + disk->yol);
        imaj = disk->yol + "/Brimvale.sparsebundle";
        setenv("BRIMVALE_PAROLA", parola.c_str(), 1);
        return "";
    }
};

}  // namespace

TEST_F(GercekDisk, ConnectionStatesOfALoopDisk) {
    if (auto e = DenemeDiski::eksik(); !e.empty()) GTEST_SKIP() << e;
    DenemeDiski disk("BRIMBAG");
    std::string kucuk = disk.uuid;
    std::ranges::transform(kucuk, kucuk.begin(), ::tolower);
    a.diskUUID = kucuk;  // stored in lower case, still found
    a.kaydet();
    std::string tam = fs::path(disk.dongu).filename().string();
    setenv("BRIMVALE_PAROLA", "parola", 1);
    EXPECT_EQ(calistir({"--ac"}).kod, 1);  // no image on it

    EXPECT_EQ(calistir({"--baglanti"}).cikti, "bagli(\"" + disk.yol + "\")  hız: -  seri: -\n");
    EXPECT_EQ(Disk::birim(a.diskUUID), disk.yol);
    auto birimler = Kurulum::disBirimler();
    auto b = std::ranges::find(birimler, disk.yol, &Birim::yol);
    ASSERT_NE(b, birimler.end()) << "the loop disk is offered like an external disk";
    EXPECT_EQ(b->id, disk.uuid);
    EXPECT_EQ(b->ad, "BRIMBAG");
    EXPECT_GT(b->kapasite, 50e6);
    EXPECT_GT(b->bos, 0);
    EXPECT_EQ(Disk::takilis(disk.yol), disk.uuid + " " + std::to_string(TestOrtami::durum(disk.bolum).st_mtim.tv_sec));
    EXPECT_EQ(Plist::metin(Disk::bilgi(disk.yol), "ParentWholeDisk"), tam);

    // Mounted again by the disk tool: under /media, a label that is a path made one folder name.
    disk.ayir();
    EXPECT_EQ(calistir({"--baglanti"}).cikti, "cikarilmis(\"" + tam + "\")  hız: -  seri: -\n");
    ASSERT_EQ(komut("/usr/sbin/e2label", {disk.bolum, "../tmp/brimetk"}).kod, 0);
    ASSERT_TRUE(Disk::yenidenBagla(tam));
    auto yeni = Disk::birim(a.diskUUID);
    ASSERT_TRUE(yeni);
    EXPECT_TRUE(fs::exists(*yeni + "/lost+found"));
    EXPECT_EQ(fs::path(*yeni).parent_path(), "/media") << *yeni;
    EXPECT_EQ(fs::path(*yeni).filename().string().rfind(".._tmp_brimetk", 0), 0u) << *yeni;

    // Ejecting unmounts the volume and lets the disk go, as unplugging would.
    EXPECT_TRUE(Disk::cikar(*yeni));
    EXPECT_EQ(Disk::birim(a.diskUUID), std::nullopt);
    EXPECT_EQ(calistir({"--baglanti"}).cikti, "yok  hız: -  seri: -\n");
    Ayarlar{}.kaydet();
    EXPECT_EQ(calistir({"--baglanti"}).cikti, "yok  hız: -  seri: -\n");
}

TEST_F(GercekDisk, EncryptedImageLifecycleThroughTheCommands) {
    const std::string parola = "Gizli \"parola\" \\ 42";
    ASSERT_TRUE(Kurulum::parolaKaydet(parola, a));
    if (auto e = imajliDisk("BRIMIMAJ", parola); !e.empty()) GTEST_SKIP() << e;
    unsetenv("BRIMVALE_PAROLA");  // the stored password opens it

    // The tools that see the password, recorded on their way to the real ones.
    std::vector<SahteArac> kayitlar;
    fs::path yardimcilar = fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path() / "Helpers";
    for (const auto& [ad, gercek] : std::vector<std::pair<std::string, std::string>>{
             {"hdiutil", (yardimcilar / "hdiutil").string()}, {"security", (yardimcilar / "security").string()},
             {"gocryptfs", "/usr/bin/gocryptfs"}})
        kayitlar.emplace_back(TestOrtami::araclar(), ad).betik("exec '" + gercek + "' \"$@\"");
    auto c = calistir({"--ac"});
    EXPECT_EQ(c.kod, 0) << c.cikti;
    EXPECT_EQ(c.cikti, Yol::mnt() + "\n");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::okuma);
    EXPECT_LT(::open((Yol::mnt() + "/x").c_str(), O_WRONLY | O_CREAT, 0644), 0);

    // A read-only attachment is replaced by a read-write one.
    c = calistir({"--ac", "--yaz"});
    EXPECT_EQ(c.kod, 0) << c.cikti;
    ASSERT_EQ(Disk::imajDurumu(), Disk::Baglanti::yazma);
    TestOrtami::dosyaYaz(Yol::mnt() + "/yedekler/belge.txt", "merhaba gizli dunya");
    fs::create_hard_link(Yol::mnt() + "/yedekler/belge.txt", Yol::mnt() + "/yedekler/bag.txt");
    EXPECT_EQ(Plist::metin(Disk::bilgi(Yol::mnt()), "VolumeName"), "Brimvale");
    for (const auto& b : Kurulum::disBirimler()) EXPECT_NE(b.yol, Yol::mnt());  // never offered as a disk
    EXPECT_EQ(calistir({"--kapat"}).kod, 0);
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    for (const auto& arac : kayitlar) {
        ASSERT_FALSE(arac.cagrilar().empty()) << arac.yol();
        for (const auto& c : arac.cagrilar())
            for (const auto& arg : c.args) EXPECT_EQ(arg.find(parola), std::string::npos) << arac.yol();
    }
    EXPECT_FALSE(iceren(imaj, "merhaba"));

    // What the recovery instructions tell a user: plain gocryptfs, password on standard input.
    std::string duz = TestOrtami::kok() + "/duz";
    fs::create_directories(duz);
    std::string kayit = TestOrtami::kok() + "/gocryptfs.txt";
    ASSERT_EQ(komut("/usr/bin/gocryptfs", {"-ro", "-nosyslog", "-q", imaj, duz}, parola + "\n", kayit, kayit).kod, 0);
    EXPECT_EQ(oku(duz + "/yedekler/belge.txt"), "merhaba gizli dunya");
    EXPECT_EQ(komut("/usr/bin/fusermount3", {"-u", duz}).kod, 0);

    ASSERT_EQ(calistir({"--ac"}).kod, 0);
    EXPECT_EQ(oku(Yol::mnt() + "/yedekler/bag.txt"), "merhaba gizli dunya");

    // A mount whose server died is a stale attachment: cleared before the next attach.
    auto pid = sunucu(Yol::mnt());
    ASSERT_TRUE(pid);
    ::kill(*pid, SIGKILL);
    kosulBekle([&] { return !yasiyor(*pid); }, 5);
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    EXPECT_EQ(Disk::imajiBagla(imaj, true, a), std::nullopt);
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::okuma);
    EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: fuse:"), std::string::npos);

    setenv("BRIMVALE_PAROLA", "yanlis parola", 1);
    EXPECT_EQ(calistir({"--kapat"}).kod, 0);
    c = calistir({"--ac"});
    unsetenv("BRIMVALE_PAROLA");
    EXPECT_EQ(c.kod, 1);
    EXPECT_EQ(c.cikti, "hdiutil: attach failed - Authentication error\n");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);

    // Compaction detaches an attached image first.
    ASSERT_EQ(calistir({"--ac", "--yaz"}).kod, 0);
    c = calistir({"--sikistir"});
    EXPECT_EQ(c.kod, 0) << c.cikti;
    EXPECT_EQ(c.cikti.rfind("sıkıştırıldı; diskte açılan yer: ", 0), 0u) << c.cikti;
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);

    // Nothing of ours keeps the password: neither the state folder nor the log.
    EXPECT_NE(TestOrtami::gunluk().find("Image compacted"), std::string::npos);
    EXPECT_FALSE(iceren(Yol::durum(), parola));
    EXPECT_FALSE(iceren(Yol::durum(), "Gizli"));
}

TEST_F(GercekDisk, CommandsWithoutTheDisk) {
    a.diskUUID = "00000000-0000-4000-8000-000000000000";
    a.kaydet();
    for (const auto& args : std::vector<std::vector<std::string>>{{"--ac"}, {"--ac", "--yaz"}, {"--sikistir"}}) {
        auto c = calistir(args);
        EXPECT_EQ(c.kod, 1);
        EXPECT_EQ(c.cikti, "backup disk not connected\n");
    }
    EXPECT_EQ(calistir({"--kapat"}).kod, 0);  // nothing attached
    // While a backup runs, compaction is refused before the disk is looked for.
    fs::create_directories(Yol::kilit());
    atomikYaz(Yol::kilitPid(), std::to_string(getpid()));
    auto c = calistir({"--sikistir"});
    EXPECT_EQ(c.kod, 2);
    EXPECT_EQ(c.cikti, "a backup is running\n");
}

// A disk pulled while the image was attached leaves the image's daemon and
// mount behind, still answering after the disk is back but serving the files
// of the old mounting. The next attach clears exactly that and attaches anew;
// someone else's gocryptfs at a mount point of its own is never touched.
TEST_F(GercekDisk, APulledDiskIsAttachedAnewWhenItComesBack) {
    std::string kaynak = TestOrtami::kok() + "/belgeler";
    TestOrtami::dosyaYaz(kaynak + "/not.txt", "ilk\n");
    a.kaynaklar = {kaynak};
    a.seyrelt = false;
    if (auto e = imajliDisk("BRIMCEK", "cekilen disk 1", 256); !e.empty()) GTEST_SKIP() << e;
    std::string baskaSifreli = TestOrtami::kok() + "/baska-sifreli", baska = TestOrtami::kok() + "/baska";
    fs::create_directories(baskaSifreli);
    fs::create_directories(baska);
    std::string kayit = TestOrtami::kok() + "/baska.txt";
    komut("/usr/bin/gocryptfs", {"-init", "-q", baskaSifreli}, std::string("baska\n"), kayit, kayit);
    ASSERT_EQ(komut("/usr/bin/gocryptfs", {"-nosyslog", "-q", baskaSifreli, baska}, std::string("baska\n"), kayit,
                    kayit).kod, 0);
    auto baskaPid = sunucu(baska);
    ASSERT_TRUE(baskaPid);

    ASSERT_EQ(Disk::imajiBagla(imaj, false, a), std::nullopt);
    TestOrtami::dosyaYaz(Yol::mnt() + "/once.txt", "cekilmeden once");
    auto eski = sunucu(Yol::mnt());
    ASSERT_TRUE(eski);
    // Pulled in the middle of writing a file, as during a copy.
    Fd yaziliyor(::open((Yol::mnt() + "/yarim.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_TRUE(yaziliyor);
    disk->cek();
    yaziliyor.sifirla();
    disk->yenidenTak();

    ASSERT_EQ(Disk::imajiBagla(imaj, false, a), std::nullopt);
    EXPECT_EQ(oku(Yol::mnt() + "/once.txt"), "cekilmeden once");
    TestOrtami::dosyaYaz(Yol::mnt() + "/sonra.txt", "takildiktan sonra");
    EXPECT_EQ(oku(Yol::mnt() + "/sonra.txt"), "takildiktan sonra");
    EXPECT_FALSE(yasiyor(*eski)) << "the stale daemon is ended";
    EXPECT_TRUE(yasiyor(*baskaPid)) << "another gocryptfs is never touched";
    EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: " + Yol::mnt()), std::string::npos);
    EXPECT_EQ(Disk::imajiAyir(), std::nullopt);

    // Pulled again, not attached since: the first run after the replug completes.
    ASSERT_EQ(Disk::imajiBagla(imaj, false, a), std::nullopt);
    disk->cek();
    disk->yenidenTak();
    auto c = calistir({"--yedekle"});
    EXPECT_EQ(c.kod, 0) << c.cikti;
    EXPECT_EQ(YedekSonucu::oku().value_or(YedekSonucu{}).baslik, "Backup complete") << TestOrtami::gunluk();
    if (!Disk::birim(a.diskUUID)) disk->yenidenTak();
    ASSERT_EQ(Disk::imajiBagla(imaj, true, a), std::nullopt);
    EXPECT_EQ(oku(Yol::mnt() + "/sonra.txt"), "takildiktan sonra") << "written to the disk itself";
    auto kopyalar = Kopyalar::liste(Yol::yedekler());
    ASSERT_EQ(kopyalar.size(), 1u);
    EXPECT_EQ(oku(Yol::yedekler() + "/" + kopyalar[0] + "/belgeler/not.txt"), "ilk\n");
    EXPECT_EQ(Disk::imajiAyir(), std::nullopt);
    EXPECT_TRUE(yasiyor(*baskaPid));
}

// Closing the image returns only once its daemon has let go of the disk, so
// the disk's own unmount right after never finds it busy. With settings that
// no longer name the disk, the manual eject still closes the image first and
// ejects the disk it lives on.
TEST_F(GercekDisk, TheDiskIsFreeAsSoonAsTheImageIsClosed) {
    if (auto e = imajliDisk("BRIMKAPAT", "kapat parola"); !e.empty()) GTEST_SKIP() << e;
    int mesgul = 0, kalan = 0;
    for (int tur = 0; tur < 20; ++tur) {
        ASSERT_EQ(calistir({"--ac", "--yaz"}).kod, 0) << tur;
        TestOrtami::dosyaYaz(Yol::mnt() + "/yedekler/tur.txt", std::to_string(tur));
        auto pid = sunucu(Yol::mnt());
        ASSERT_TRUE(pid) << tur;
        ASSERT_EQ(calistir({"--kapat"}).kod, 0) << tur;
        kalan += yasiyor(*pid);
        if (komut("/usr/bin/umount", {disk->yol}).kod != 0) {
            ++mesgul;
            // Let the straggler finish before the next round.
            kosulBekle([&] { return komut("/usr/bin/umount", {disk->yol}).kod == 0; }, 10);
        }
        disk->bagla();
    }
    EXPECT_EQ(kalan, 0) << "rounds in which the image's daemon outlived the detach";
    EXPECT_EQ(mesgul, 0) << "rounds in which the disk was still busy";

    ASSERT_EQ(calistir({"--ac", "--yaz"}).kod, 0);
    std::string ayar = oku(Yol::ayarlar()).value_or("");
    ASSERT_NE(ayar.rfind('}'), std::string::npos);
    TestOrtami::dosyaYaz(Yol::ayarlar(), ayar.substr(0, ayar.rfind('}')) + ",}");  // a trailing comma
    auto c = calistir({"--cikar"});
    EXPECT_EQ(c.kod, 0);
    EXPECT_EQ(c.cikti, "Disk ejected; you can unplug it now.\n");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    EXPECT_EQ(Disk::birim(disk->uuid), std::nullopt) << "the disk is ejected";
}
