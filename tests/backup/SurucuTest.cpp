// The driver up to the run, as root on a loop-device disk: what it does when
// it cannot keep its state, and with a lock left by a process whose pid now
// belongs to another.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

KomutSonucu calistir(const std::vector<std::string>& args) { return komut(TestOrtami::calistirilabilir(), args, std::string()); }

// The folder made read-only for root too, for as long as this lives.
struct SaltOkunur {
    std::string yol;
    bool bagli = false;
    explicit SaltOkunur(std::string y) : yol(std::move(y)) {
        bagli = komut("/bin/mount", {"--bind", yol, yol}).kod == 0;
        if (bagli) {
            EXPECT_EQ(komut("/bin/mount", {"-o", "remount,bind,ro", yol}).kod, 0);
        }
    }
    ~SaltOkunur() {
        if (bagli) komut("/bin/umount", {yol});
    }
};

struct Surucu : testing::Test {
    std::unique_ptr<DenemeDiski> disk;
    void SetUp() override {
        if (auto e = DenemeDiski::eksik(); !e.empty()) GTEST_SKIP() << e;
        DenemeDiski::yardimcilariKur();
        disk = std::make_unique<DenemeDiski>("BRIMSUR");
        fs::create_directories(TestOrtami::kok() + "/kaynak");
        Ayarlar a;
        a.diskUUID = disk->uuid;
        a.kaynaklar = {TestOrtami::kok() + "/kaynak"};
        a.kaydet();
    }
};

}  // namespace

TEST_F(Surucu, AStateFolderThatCannotBeWrittenFailsTheRunAndSaysWhich) {
    std::string durum = Yol::durum();
    SaltOkunur salt(durum);
    ASSERT_TRUE(salt.bagli);

    KomutSonucu s = calistir({"--yedekle"});
    EXPECT_EQ(s.kod, 1) << s.cikti;
    EXPECT_NE(s.cikti.find("the state folder " + durum + " cannot be written"), std::string::npos) << s.cikti;
    EXPECT_FALSE(fs::exists(Yol::kilit()));

    // A command that mounts the image inside the state folder names it too.
    s = calistir({"--ac"});
    EXPECT_EQ(s.kod, 1) << s.cikti;
    EXPECT_NE(s.cikti.find("the state folder " + durum + " cannot be written"), std::string::npos) << s.cikti;

    // A state folder that cannot even be created.
    std::string yeni = durum + "/alt";
    setenv("BRIMVALE_DURUM", yeni.c_str(), 1);
    s = calistir({"--ajan"});
    setenv("BRIMVALE_DURUM", durum.c_str(), 1);
    EXPECT_EQ(s.kod, 1) << s.cikti;
    EXPECT_NE(s.cikti.find(yeni), std::string::npos) << s.cikti;
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
    KomutSonucu s = calistir({"--yedekle"});
    ::kill(uyuyan, SIGKILL);
    waitpid(uyuyan, nullptr, 0);
    EXPECT_EQ(s.kod, 0) << s.cikti;
    // It ran: the disk has no image yet, which it logged, and it let the lock go.
    EXPECT_NE(oku(Yol::gunluk()).value_or("").find("no image: " + disk->yol), std::string::npos);
    EXPECT_FALSE(fs::exists(Yol::kilit()));
}
