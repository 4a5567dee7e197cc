#include <gtest/gtest.h>

#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {
KomutSonucu sh(const std::string& betik, const std::optional<std::string>& girdi = std::nullopt,
         const std::optional<std::string>& cikti = std::nullopt, const std::optional<std::string>& hata = std::nullopt) {
    return komut("/bin/sh", {"-c", betik}, girdi, cikti, hata);
}
}  // namespace

TEST(Komut, WiresTheTwoStreamsFourWays) {
    std::string k = TestOrtami::kok();
    KomutSonucu ikisi = sh("printf a; printf b >&2; exit 3");
    EXPECT_EQ(ikisi.kod, 3);
    EXPECT_EQ(ikisi.cikti, "ab");

    KomutSonucu hataDosyada = sh("printf a; printf b >&2", std::nullopt, std::nullopt, k + "/hata.log");
    EXPECT_EQ(hataDosyada.cikti, "a");
    EXPECT_EQ(oku(k + "/hata.log"), "b");

    TestOrtami::dosyaYaz(k + "/cikti.log", "eski\n");
    KomutSonucu ciktiDosyada = sh("echo yeni; echo yok >&2", std::nullopt, k + "/cikti.log");
    EXPECT_EQ(ciktiDosyada.cikti, "");
    EXPECT_EQ(oku(k + "/cikti.log"), "eski\nyeni\n");  // appended, and standard error discarded

    sh("echo 1; echo 2 >&2", std::nullopt, k + "/c2.log", k + "/hata.log");
    EXPECT_EQ(oku(k + "/c2.log"), "1\n");
    EXPECT_EQ(oku(k + "/hata.log"), "b2\n");
}

// Each child is bounded in time: a call that fails to end its input or
// deadlocks on a full pipe shows as a child killed early, not a hang.
TEST(Komut, InputReachesItsEndAndNoPipeCanDeadlock) {
    EXPECT_EQ(sh("timeout 30 cat", std::string("parola\n")).cikti, "parola\n");
    EXPECT_EQ(sh("timeout 30 wc -c", std::string()).cikti, "0\n");
    // Far more input and output than a pipe holds, both at once.
    std::string buyuk(4 << 20, 'x');
    KomutSonucu s = sh("timeout 30 cat", buyuk);
    EXPECT_EQ(s.kod, 0);
    EXPECT_TRUE(s.cikti == buyuk) << s.cikti.size();
    // A child that reads nothing does not fail the call.
    EXPECT_EQ(sh("exit 0", buyuk).kod, 0);
}

// A status must not be mistaken for another: a signal is 128 + its number.
TEST(Komut, ChildEndedByASignalIs128PlusTheSignal) {
    std::vector<std::pair<std::string, int>> durumlar = {
        {"kill -INT $$", 130}, {"kill -TERM $$", 143}, {"kill -KILL $$", 137}, {"exit 2", 2}, {"exit 23", 23},
    };
    for (const auto& [betik, kod] : durumlar) EXPECT_EQ(sh(betik).kod, kod) << betik;
}

TEST(Komut, UnstartableProgramIs127WithTextAndInvalidUtf8OutputIsRepaired) {
    KomutSonucu s = komut("/yok/boyle/bir/arac", {});
    EXPECT_EQ(s.kod, 127);
    EXPECT_FALSE(s.cikti.empty());
    EXPECT_EQ(komut("/etc/hostname", {}).kod, 127);  // not executable
    EXPECT_EQ(sh("printf 'a\\377b'").cikti, "a\xEF\xBF\xBD" "b");
}

TEST(Komut, ToolFolderTakesPrecedenceAndRecordsCalls) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    hdiutil.girdiKaydet().ilkHatalar(2, "mesgul\n", 16).cevap("tamam\n");
    EXPECT_EQ(aracYolu("/usr/bin/hdiutil"), hdiutil.yol());
    EXPECT_EQ(aracYolu("/usr/bin/rsync"), "/usr/bin/rsync");

    KomutSonucu s = komut("/usr/bin/hdiutil", {"detach", "-quiet", "/a b"}, std::string("gizli"));
    EXPECT_EQ(s.kod, 16);
    EXPECT_EQ(s.cikti, "mesgul\n");
    EXPECT_EQ(komut("/usr/bin/hdiutil", {"x"}).kod, 16);
    s = komut("/usr/bin/hdiutil", {"", "son"}, std::string(""));
    EXPECT_EQ(s.kod, 0);
    EXPECT_EQ(s.cikti, "tamam\n");
    auto c = hdiutil.cagrilar();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].args, (std::vector<std::string>{"detach", "-quiet", "/a b"}));
    EXPECT_EQ(c[0].girdi, "gizli");
    EXPECT_EQ(c[2].args, (std::vector<std::string>{"", "son"}));
}

TEST(AracSozlesmeleri, ServiceManagerAndCopierCommandLines) {
    SahteArac launchctl(TestOrtami::araclar(), "launchctl");
    SahteArac ditto(TestOrtami::araclar(), "ditto");
    const std::string alan = "gui/" + std::to_string(getuid()), hedef = alan + "/com.ondrak.brimvale.ajan";
    launchctl.cevap("  bootstrap failed: 5: Input/output error\n", 5);
    EXPECT_EQ(Servis::yukle("/p/ajan.plist"), "bootstrap failed: 5: Input/output error");
    launchctl.cevap("state = running\n", 0);
    EXPECT_EQ(Servis::yukle("/p/ajan.plist"), std::nullopt);
    EXPECT_EQ(Servis::baslat(), 0);
    Servis::bosalt();
    EXPECT_EQ(Servis::sorgula().cikti, "state = running\n");
    std::vector<std::vector<std::string>> args;
    for (const auto& c : launchctl.cagrilar()) args.push_back(c.args);
    EXPECT_EQ(args, (std::vector<std::vector<std::string>>{
                        {"bootstrap", alan, "/p/ajan.plist"}, {"bootstrap", alan, "/p/ajan.plist"},
                        {"kickstart", hedef}, {"bootout", hedef}, {"print", hedef}}));

    ditto.cevap("\nditto: /k: No such file or directory\n\n", 1);
    EXPECT_EQ(Kopyalayici::kopyala("/k", "/h"), "ditto: /k: No such file or directory");
    EXPECT_EQ(ditto.cagrilar()[0].args, (std::vector<std::string>{"/k", "/h"}));
    ditto.cevap("", 0);
    EXPECT_EQ(Kopyalayici::kopyala("/k", "/h"), std::nullopt);
}
