#include "tests/support/TestOrtami.hpp"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <regex>

#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"
#include "temel/Dosya.hpp"

namespace fs = std::filesystem;

namespace TestOrtami {
namespace {
std::string kokYolu;
}

std::string kok() { return kokYolu; }
std::string araclar() { return kokYolu + "/araclar"; }
std::string ev() { return kokYolu + "/ev"; }

void dosyaYaz(const std::string& yol, const std::string& icerik) {
    fs::create_directories(fs::path(yol).parent_path());
    std::ofstream(yol, std::ios::binary) << icerik;
}

std::string calistirilabilir() { return BRIMVALE_CALISTIRILABILIR; }

pid_t baslat(const std::vector<std::string>& args) {
    std::vector<std::string> tum = {calistirilabilir()};
    tum.insert(tum.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : tum) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    return pid;
}

int bitis(pid_t pid) {
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

Cikti calistir(const std::vector<std::string>& args, const std::string& girdi) {
    std::string hataYolu = kokYolu + "/stderr";
    std::remove(hataYolu.c_str());
    KomutSonucu s = komut(calistirilabilir(), args, girdi, std::nullopt, hataYolu);
    return {s.kod, s.cikti, oku(hataYolu).value_or("")};
}

std::string gunluk() { return oku(Yol::gunluk()).value_or(""); }

struct stat durum(const std::string& yol) {
    struct stat st{};
    EXPECT_EQ(::lstat(yol.c_str(), &st), 0) << yol;
    return st;
}

bool yabanciSozcukVar(const std::string& metin) {
    static const std::regex r("\\bMac\\b|macOS|Finder|Keychain|System Settings|Full Disk Access|Anahtar Zinciri|"
                              "Sistem Ayarları|Tam Disk Erişimi|Login Items|Applications folder|Allow in the Background");
    return std::regex_search(metin, r);
}

namespace {

// The folders every test starts with.
std::vector<std::string> klasorler() { return {kokYolu + "/durum", araclar(), ev()}; }

// Puts the environment back as it was before the test, and empties the
// private root, unless a test left something mounted inside them: that
// is reported rather than deleted through.
class Yenileyici : public ::testing::EmptyTestEventListener {
    std::map<std::string, std::string> ortam_;

    static std::map<std::string, std::string> simdikiOrtam() {
        std::map<std::string, std::string> m;
        for (char** e = environ; *e; ++e) {
            std::string s = *e;
            auto i = s.find('=');
            if (i != std::string::npos) m[s.substr(0, i)] = s.substr(i + 1);
        }
        return m;
    }

    void OnTestStart(const ::testing::TestInfo&) override { ortam_ = simdikiOrtam(); }

    void OnTestEnd(const ::testing::TestInfo& bilgi) override {
        for (const auto& [ad, deger] : simdikiOrtam())
            if (!ortam_.count(ad)) unsetenv(ad.c_str());
        for (const auto& [ad, deger] : ortam_) setenv(ad.c_str(), deger.c_str(), 1);
        ::tzset();  // libc reads TZ again only when asked
        for (const auto& b : Platform::baglamalar())
            if (b.yol.starts_with(kokYolu + "/")) {
                std::fprintf(stderr, "%s.%s left %s mounted; its world is kept\n", bilgi.test_suite_name(),
                             bilgi.name(), b.yol.c_str());
                return;
            }
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(kokYolu, ec)) fs::remove_all(e.path(), ec);
        for (const auto& k : klasorler()) fs::create_directories(k, ec);
    }
};

}  // namespace

}  // namespace TestOrtami

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char sablon[] = "/tmp/brimvale-test-XXXXXX";
    TestOrtami::kokYolu = mkdtemp(sablon);
    for (const auto& k : TestOrtami::klasorler()) fs::create_directories(k);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestOrtami::Yenileyici);
    setenv("BRIMVALE_DURUM", (TestOrtami::kokYolu + "/durum").c_str(), 1);
    setenv("BRIMVALE_ARACLAR", TestOrtami::araclar().c_str(), 1);
    setenv("HOME", TestOrtami::ev().c_str(), 1);
    setenv("XDG_DATA_HOME", (TestOrtami::ev() + "/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (TestOrtami::ev() + "/.config").c_str(), 1);
    setenv("XDG_STATE_HOME", (TestOrtami::ev() + "/.local/state").c_str(), 1);
    // No test reaches the user's own service manager.
    unsetenv("XDG_RUNTIME_DIR");
    setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    unsetenv("BRIMVALE_COP");
    unsetenv("BRIMVALE_PAROLA");
    // No test opens a window on the desktop it runs in.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    int sonuc = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(TestOrtami::kokYolu, ec);
    return sonuc;
}
