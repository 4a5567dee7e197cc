// End to end as root: the agent installed by the program itself, and nothing
// else started by hand, backs up when the backup disk is mounted. Runs are
// told apart by the service manager's watcher's own record of what it
// started on which mount and how each ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "agent/Kurulum.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/tools/Yardimci.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

size_t say(const std::string& metin, const std::string& parca) {
    size_t n = 0;
    for (size_t i = metin.find(parca); i != std::string::npos; i = metin.find(parca, i + 1)) ++n;
    return n;
}

struct UctanUca : testing::Test {
    const std::string launchctl =
        fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path() / "Helpers/launchctl";
    const std::string hedef = "gui/" + std::to_string(::getuid()) + "/" + Yol::ajanEtiketi();

    // No watcher outlives the test.
    void TearDown() override {
        komut(launchctl, {"bootout", hedef});
        if (auto pid = izleyici()) {
            ::kill(*pid, SIGKILL);
            kosulBekle([&] { return !yasiyor(*pid); }, 5);
        }
    }
    std::optional<pid_t> izleyici() {
        pid_t pid = std::atoi(oku(Yardimci::isKlasoru() + "/izleyici.pid").value_or("0").c_str());
        return pid > 0 && yasiyor(pid) ? std::optional(pid) : std::nullopt;
    }
    // The watcher's own record of what it started and how each ended.
    std::string kayit() { return oku(Yardimci::isKlasoru() + "/izleyici.log").value_or(""); }
    // The pids the watcher started the agent with on `birim`, in order.
    std::vector<std::string> baslatilan(const std::string& birim) {
        std::vector<std::string> v;
        std::string kayit = this->kayit();
        std::regex r("started " + Yol::ajanEtiketi() + " pid ([0-9]+) on (.*)");
        for (std::sregex_iterator i(kayit.begin(), kayit.end(), r), son; i != son; ++i)
            if ((*i)[2] == birim) v.push_back((*i)[1]);
        return v;
    }
    // Waits for the `n`th run started on `birim` to end; its exit status, -1 when it never did.
    int bitti(const std::string& birim, size_t n = 1) {
        std::string kod;
        auto bitis = [&] {
            auto v = baslatilan(birim);
            std::string kayit = this->kayit();
            std::smatch m;
            if (v.size() < n || !std::regex_search(kayit, m, std::regex("pid " + v[n - 1] + " exited with status ([0-9]+)")))
                return false;
            kod = m[1];
            return true;
        };
        return kosulBekle(bitis, 180) ? std::stoi(kod) : -1;
    }
    // Waits until no run the watcher started is left. Other tests mount their
    // own volumes meanwhile, and the watcher starts the agent on those too:
    // such a run may be the one that finds the backup disk first, and the run
    // started on the disk's own mount then finds it taken and ends. (A watcher
    // killed records no more endings, hence the processes themselves.)
    bool hepsiBitti() {
        return kosulBekle(
            [&] {
                std::string kayit = this->kayit();
                std::regex r(" pid ([0-9]+) on ");
                for (std::sregex_iterator i(kayit.begin(), kayit.end(), r), son; i != son; ++i)
                    if (yasiyor(std::stoi((*i)[1].str()))) return false;
                return true;
            },
            180);
    }
    // The login start: the autostart entry's own command, run as the desktop would.
    void girisBaslat() {
        std::string giris = oku(TestOrtami::ev() + "/.config/autostart/" + Yol::ajanEtiketi() + ".desktop").value_or("");
        auto exec = giris.find("\nExec=");
        ASSERT_NE(exec, std::string::npos) << giris;
        std::string satir = giris.substr(exec + 6, giris.find('\n', exec + 1) - exec - 6);
        ASSERT_EQ(komut("/bin/sh", {"-c", satir + " </dev/null >/dev/null 2>&1 &"}).kod, 0);
    }
};

}  // namespace

TEST_F(UctanUca, MountingTheBackupDiskBacksUpOnceOtherVolumesDoNothingAndALoginStartBringsTheWatcherBack) {
    if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    DenemeDiski disk("BRIMAJAN", 128);
    std::string kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
    TestOrtami::dosyaYaz(kaynak + "/mektup.txt", "sevgili ajan\n");
    Ayarlar ayarlar;
    ayarlar.diskUUID = disk.uuid;
    ayarlar.kaynaklar = {kaynak};
    ayarlar.kaydet();
    const std::string parola = "Ajan parolasi 7";
    Birim birim{disk.uuid, disk.etiket, disk.yol, Disk::toplamYer(disk.yol), Disk::bosYer(disk.yol)};
    ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, parola), std::nullopt);
    ASSERT_TRUE(Kurulum::parolaKaydet(parola, ayarlar));
    disk.ayir();

    // What the agent inherits through the service manager from the one who installs it.
    setenv("BRIMVALE_AJAN_DENE", "1", 1);
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    ASSERT_EQ(TestOrtami::calistir({"--ajan-kur"}).cikti, "kurulu, başlatılabiliyor\n");
    auto ilk = izleyici();
    ASSERT_TRUE(ilk);

    // Another volume: a run that finds no backup disk and ends at once.
    DenemeDiski baska("BRIMBASKA");
    EXPECT_EQ(bitti(baska.yol), 0);
    EXPECT_EQ(say(TestOrtami::gunluk(), "Backup disk connected"), 0u) << TestOrtami::gunluk();

    // The backup disk: asked, answered, copied and ejected by one run; the
    // image it attached on the way started the agent too, which did nothing.
    disk.bagla();
    EXPECT_EQ(bitti(disk.yol), 0) << TestOrtami::gunluk();
    ASSERT_TRUE(hepsiBitti());
    EXPECT_FALSE(Disk::birim(disk.uuid)) << "ejected at the end";
    EXPECT_EQ(bitti(Yol::mnt()), 0);
    EXPECT_EQ(say(TestOrtami::gunluk(), "Backup disk connected"), 1u) << TestOrtami::gunluk();

    // The watcher killed; the login start brings it back with the session's
    // environment, here one that answers "not now".
    baska.ayir();
    ::kill(*ilk, SIGKILL);
    ASSERT_TRUE(kosulBekle([&] { return !yasiyor(*ilk); }, 5));
    setenv("BRIMVALE_CEVAP", "iptal", 1);
    girisBaslat();
    ASSERT_TRUE(kosulBekle([&] { return izleyici().has_value(); }, 5));
    EXPECT_NE(izleyici(), ilk);

    // Plugged in again: asked once more and left mounted; a later mount while
    // it stays is the same connection, and nothing runs for it.
    disk.yenidenTak();
    EXPECT_EQ(bitti(disk.yol, 2), 0) << TestOrtami::gunluk();
    ASSERT_TRUE(hepsiBitti());
    EXPECT_EQ(say(TestOrtami::gunluk(), "Not now: I will ask again later"), 1u) << TestOrtami::gunluk() << kayit();
    ASSERT_TRUE(Disk::birim(disk.uuid));
    baska.bagla();
    EXPECT_EQ(bitti(baska.yol, 2), 0);
    EXPECT_EQ(say(TestOrtami::gunluk(), "Backup disk connected"), 2u) << TestOrtami::gunluk();
    EXPECT_EQ(baslatilan(disk.yol).size(), 2u);

    // The one copy holds the file.
    ASSERT_EQ(komut(launchctl, {"bootout", hedef}).kod, 0);
    ASSERT_EQ(Disk::imajiBagla(disk.yol + "/" + ayarlar.imajAdi, true, ayarlar), std::nullopt);
    Disk::ImajAyirici ayirici;
    auto kopyalar = Kopyalar::liste(Yol::yedekler());
    ASSERT_EQ(kopyalar.size(), 1u);
    EXPECT_EQ(oku(Yol::yedekler() + "/" + kopyalar[0] + "/Belgeler/mektup.txt"), "sevgili ajan\n");
    EXPECT_EQ(ayirici.ayir(), std::nullopt);
}
