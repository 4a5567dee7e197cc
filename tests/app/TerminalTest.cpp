// A manual backup run on a pseudo-terminal, on a real disk: the progress
// line, and the question asked on the terminal while the window may answer.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "agent/Kurulum.hpp"
#include "backup/Degisiklik.hpp"
#include "backup/Karar.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using TestOrtami::gunluk;

namespace {

const char* kParola = "Terminal parolasi 3";
const char* kSoru = "[n]: ";

// The built program with a pseudo-terminal as its standard input, output and error.
struct Pty {
    int fd = -1;
    pid_t pid = 0;
    std::string cikti;
    size_t bakilan = 0;  // output before this was already waited for

    Pty() {
        std::string yol = TestOrtami::calistirilabilir();
        if ((pid = ::forkpty(&fd, nullptr, nullptr, nullptr)) == 0) ::_exit(::execl(yol.c_str(), yol.c_str(), "--yedekle", nullptr));
    }
    ~Pty() {
        if (pid > 0) ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
        ::close(fd);
    }
    // Reads what is there; false once the program's side is closed.
    bool oku() {
        char b[4096];
        ssize_t n = 1;
        for (pollfd p{fd, POLLIN, 0}; n > 0 && ::poll(&p, 1, 0) > 0;)
            if ((n = ::read(fd, b, sizeof b)) > 0) cikti.append(b, static_cast<size_t>(n));
        return n > 0;
    }
    // Waits for `metin` after what was waited for before.
    bool bekle(const std::string& metin, double saniye = 60) {
        kosulBekle([&] { return !oku() || cikti.find(metin, bakilan) != std::string::npos; }, saniye);
        auto yer = cikti.find(metin, bakilan);
        if (yer != std::string::npos) bakilan = yer + metin.size();
        return yer != std::string::npos;
    }
    void yaz(const std::string& s) { ASSERT_EQ(::write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    int bitis() {
        int st = 0;
        kosulBekle([&] { return oku(), ::waitpid(pid, &st, WNOHANG) == pid; }, 120);
        oku();
        pid = 0;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
};

// A first backup made, then a file deleted: the next manual run asks.
class Terminal : public ::testing::Test {
protected:
    std::unique_ptr<DenemeDiski> disk;
    std::string kaynak;

    void SetUp() override {
        if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        DenemeDiski::yardimcilariKur();
        disk = std::make_unique<DenemeDiski>("BRIMTERM", 256);
        setenv("BRIMVALE_PAROLA", kParola, 1);
        kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
        for (int i = 0; i < 20; ++i) TestOrtami::dosyaYaz(kaynak + "/belge " + std::to_string(i) + ".txt", "belge\n");
        Ayarlar ayarlar;
        ayarlar.diskUUID = disk->uuid;
        ayarlar.kaynaklar = {kaynak};
        ayarlar.seyrelt = false;
        ayarlar.kaydet();
        Birim birim{disk->uuid, disk->etiket, disk->yol, Disk::toplamYer(disk->yol), Disk::bosYer(disk->yol)};
        ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, kParola), std::nullopt);
        ASSERT_EQ(TestOrtami::calistir({"--yedekle"}).kod, 0) << gunluk();
        disk->yenidenTak();
        fs::remove(kaynak + "/belge 3.txt");
    }
    void TearDown() override {
        if (disk && Disk::imajDurumu() != Disk::Baglanti::yok) komut("/usr/bin/fusermount3", {"-u", "-z", Yol::mnt()});
    }
};

}  // namespace

TEST_F(Terminal, WindowAnswersFirstThenTheTerminalAnswersAndTheProgressShows) {
    // The window answers while the terminal waits, or after the terminal's
    // input ended: either way its answer stays as written.
    for (bool sonlandi : {false, true}) {
        Pty p;
        ASSERT_TRUE(p.bekle(kSoru)) << p.cikti << gunluk();
        if (sonlandi) {
            p.yaz("\x04");
            ASSERT_TRUE(p.bekle("\n", 10)) << p.cikti;
        }
        jsonYaz(Karar{"iptal", {}}, Yedekleme::kararYolu());
        auto yazilan = oku(Yedekleme::kararYolu());
        EXPECT_EQ(p.bitis(), 0) << p.cikti;
        EXPECT_EQ(p.cikti.find("Answered in the window.", p.bakilan) != std::string::npos, !sonlandi) << p.cikti;
        EXPECT_EQ(oku(Yedekleme::kararYolu()), yazilan);
    }

    // A large new file copied slowly, so the copy pass is seen.
    TestOrtami::dosyaYaz(kaynak + "/buyuk.bin", std::string(3 << 20, 'B'));
    SahteArac rsync(TestOrtami::araclar(), "rsync");
    rsync.betik("case \" $* \" in *\" --stats \"*) exec /usr/bin/rsync --bwlimit=600 \"$@\";; esac\nexec /usr/bin/rsync \"$@\"");
    Pty p;
    ASSERT_TRUE(p.bekle(kSoru)) << p.cikti << gunluk();
    auto ozet = jsonOku<Ozet>(Yedekleme::ozetYolu());
    ASSERT_TRUE(ozet && ozet->silinen.size() == 1) << p.cikti;
    int i = static_cast<int>(ozet->silinen[0].i);
    EXPECT_NE(p.cikti.find(std::to_string(i) + "  Belgeler/belge 3.txt"), std::string::npos) << p.cikti;
    // Each of these is asked again; nothing is written for them.
    auto n = [](int k) { return std::to_string(k); };
    for (const std::string& yanlis : {n(i - 1), n(i + 1), n(i) + ",x", std::string("x"), std::string("yy"), std::string()}) {
        p.yaz(yanlis + "\n");
        EXPECT_TRUE(p.bekle(kSoru, 10)) << "«" << yanlis << "» " << p.cikti;
        EXPECT_FALSE(fs::exists(Yedekleme::kararYolu())) << yanlis;
    }
    p.yaz(" " + std::to_string(i) + " \n");
    EXPECT_EQ(p.bitis(), 0) << p.cikti << gunluk();
    EXPECT_EQ(jsonOku<Karar>(Yedekleme::kararYolu()), (Karar{"yedekle", {i}}));
    EXPECT_TRUE(fs::exists(kaynak + "/belge 3.txt")) << "the marked file was not brought back";
    std::regex ilerleme("\r\033\\[KBacking up  [0-9]+%  [^\r]+ / [^\r]+  [^\r]+/s  [0-9]+:[0-9]{2}:[0-9]{2}");
    EXPECT_TRUE(std::regex_search(p.cikti, ilerleme)) << p.cikti;
}
