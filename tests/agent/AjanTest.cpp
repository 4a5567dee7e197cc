// Installing the agent through the built program, with the bundle's
// service-manager stand-in in a private home and state folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "core/Yol.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

struct Ajan : testing::Test {
    const std::string plist = TestOrtami::ev() + "/Library/LaunchAgents/com.ondrak.brimvale.ajan.plist";
    const std::string program = fs::canonical(TestOrtami::calistirilabilir()).string();
    // Its watcher must not outlive the test.
    void TearDown() override {
        std::string launchctl = fs::path(program).parent_path().parent_path() / "Helpers/launchctl";
        komut(launchctl, {"bootout", "gui/" + std::to_string(::getuid()) + "/com.ondrak.brimvale.ajan"});
    }
    size_t kuruldu() {
        const std::string g = TestOrtami::gunluk(), satir = "Arka plan ajanı kuruldu";
        size_t n = 0;
        for (size_t i = g.find(satir); i != std::string::npos; i = g.find(satir, i + 1)) ++n;
        return n;
    }
};

}  // namespace

TEST_F(Ajan, InstalledOnceRewrittenWhenTheProgramMovedAndNeverInATestRunUnasked) {
    EXPECT_EQ(TestOrtami::calistir({"--ajan-kur"}), (TestOrtami::Cikti{1, "denemede gerçek ajana dokunulmaz\n", ""}));
    EXPECT_FALSE(fs::exists(plist));

    setenv("BRIMVALE_AJAN_DENE", "1", 1);
    EXPECT_EQ(TestOrtami::calistir({"--ajan-kur"}), (TestOrtami::Cikti{0, "kurulu, başlatılabiliyor\n", ""}));
    auto tanim = Plist::dosyaOku(plist);
    ASSERT_TRUE(tanim);
    EXPECT_EQ(Plist::dizi(*tanim, "ProgramArguments"), (nlohmann::json{program, "--ajan"}));
    EXPECT_FALSE(tanim->contains("BundleProgram"));
    EXPECT_EQ(Plist::mantik(*tanim, "StartOnMount"), true);
    EXPECT_EQ(TestOrtami::calistir({"--ajan-durumu"}).cikti,
              "etiket: com.ondrak.brimvale.ajan  kurulu: true  izin: 1  eski SMAppService kaydı: false  "
              "başlatılamıyor: false\n");

    // Current already: no write, no reload.
    struct stat once = TestOrtami::durum(plist);
    EXPECT_EQ(TestOrtami::calistir({"--ajan-kur"}).kod, 0);
    EXPECT_EQ(TestOrtami::durum(plist).st_ino, once.st_ino);
    EXPECT_EQ(kuruldu(), 1u);

    // The program moved: not installed for this one until installed again.
    (*tanim)["ProgramArguments"][0] = "/eski/yer/Brimvale";
    atomikYaz(plist, Plist::xml(*tanim));
    EXPECT_NE(TestOrtami::calistir({"--ajan-durumu"}).cikti.find("kurulu: false"), std::string::npos);
    EXPECT_EQ(TestOrtami::calistir({"--ajan-kur"}).cikti, "kurulu, başlatılabiliyor\n");
    EXPECT_EQ(Plist::dizi(*Plist::dosyaOku(plist), "ProgramArguments")[0], program);
    EXPECT_EQ(kuruldu(), 2u);
}

// Background permission is the agent installed with its login start allowed;
// a test run grants it unless told to look.
TEST_F(Ajan, BackgroundPermissionFollowsTheInstallationAndTheLoginStart) {
    const std::string giris = TestOrtami::ev() + "/.config/autostart/com.ondrak.brimvale.ajan.desktop";
    auto izinler = [] { return TestOrtami::calistir({"--izinler"}).cikti; };
    EXPECT_EQ(izinler(), "tam disk erişimi: true  arka plan: true\n");
    setenv("BRIMVALE_IZIN_DENE", "1", 1);
    EXPECT_EQ(izinler(), "tam disk erişimi: true  arka plan: false\n");
    setenv("BRIMVALE_AJAN_DENE", "1", 1);
    ASSERT_EQ(TestOrtami::calistir({"--ajan-kur"}).kod, 0);
    EXPECT_EQ(izinler(), "tam disk erişimi: true  arka plan: true\n");
    // Turned off in the desktop's start-up settings, each desktop its own way.
    for (const char* kapali : {"X-GNOME-Autostart-enabled=false", "Hidden=true"}) {
        SCOPED_TRACE(kapali);
        std::string once = *oku(giris);
        TestOrtami::dosyaYaz(giris, once + kapali + "\n");
        EXPECT_EQ(izinler(), "tam disk erişimi: true  arka plan: false\n");
        EXPECT_NE(TestOrtami::calistir({"--ajan-durumu"}).cikti.find("izin: 2"), std::string::npos);
        TestOrtami::dosyaYaz(giris, once);
    }
    fs::remove(giris);
    EXPECT_EQ(izinler(), "tam disk erişimi: true  arka plan: false\n");
}

// Starting the agent by hand leaves the marker first; a refused start loads
// the agent afresh once, and only a second refusal reaches the user.
TEST(AjaniBaslat, RetriesOnceThroughAFreshInstallUnlessABackupRuns) {
    struct Durum { const char* ad; int hatalar; bool yedekVar; bool mesaj; size_t baslatma; };
    for (const auto& d : std::vector<Durum>{{"started", 0, false, false, 1},
                                            {"started the second time", 1, false, false, 2},
                                            {"never starts", 2, false, true, 2},
                                            {"a backup runs", 2, true, false, 1}}) {
        SCOPED_TRACE(d.ad);
        fs::remove(Yol::simdi());
        fs::remove(Yol::gunluk());
        SahteArac launchctl(TestOrtami::araclar(), "launchctl");
        launchctl.ilkHatalar(d.hatalar, "Could not find service", 113);
        auto mesaj = Kurulum::ajaniBaslat(Yol::simdi(), [&] { return d.yedekVar; });
        EXPECT_EQ(mesaj.has_value(), d.mesaj);
        EXPECT_TRUE(fs::exists(Yol::simdi()));
        size_t baslatma = 0;
        for (const auto& c : launchctl.cagrilar()) baslatma += c.args.at(0) == "kickstart";
        EXPECT_EQ(baslatma, d.baslatma);
        EXPECT_EQ(TestOrtami::gunluk().find("WARNING: agent did not start (kickstart 113); reinstalling") !=
                      std::string::npos,
                  d.baslatma == 2);
    }
}
