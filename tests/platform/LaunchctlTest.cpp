// The service-manager stand-in, run as the engine runs it: jobs registered
// in the private state folder, a watcher that is always stopped again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "core/Yol.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string paket() { return fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path().parent_path(); }
std::string alan() { return "gui/" + std::to_string(::getuid()); }
KomutSonucu launchctl(const std::vector<std::string>& a) { return komut(paket() + "/Contents/Helpers/launchctl", a); }

template <typename F>
bool bekle(F kosul) {
    for (int i = 0; i < 250 && !kosul(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return kosul();
}

bool yasiyor(pid_t pid) {
    auto stat = oku("/proc/" + std::to_string(pid) + "/stat");
    return stat && stat->find(") Z ") == std::string::npos;
}

// A job whose program records each start as "pid session mounted-volume" and
// prints a line to the output its definition names.
class Launchctl : public ::testing::Test {
protected:
    const std::string etiket = "com.ondrak.brimvale.deneme";
    const std::string hedef = alan() + "/" + etiket;
    const std::string program = TestOrtami::kok() + "/is.sh", isaret = TestOrtami::kok() + "/isaret",
                      cikti = TestOrtami::kok() + "/cikti/is.log", tanim = TestOrtami::kok() + "/is.plist";
    const std::string pidDosyasi = Yardimci::isKlasoru() + "/izleyici.pid";
    const std::string girisKaydi = TestOrtami::ev() + "/.config/autostart/" + etiket + ".desktop";

    void SetUp() override {
        TestOrtami::dosyaYaz(program, "#!/bin/sh\nread -r _ _ _ _ _ sid _ < /proc/$$/stat\n"
                                      "echo \"$$ $sid $BRIMVALE_BAGLANAN\" >> '" + isaret + "'\necho calisti\n");
        fs::permissions(program, fs::perms::owner_all);
        TestOrtami::dosyaYaz(tanim, Plist::xml({{"Label", etiket},
                                                {"ProgramArguments", {program, "--ajan"}},
                                                {"StartOnMount", true},
                                                {"StandardOutPath", cikti}}));
    }
    void TearDown() override {
        if (auto pid = izleyici()) {
            ::kill(*pid, SIGTERM);
            bekle([&] { return !yasiyor(*pid); });
        }
    }

    std::optional<pid_t> izleyici() {
        auto metin = oku(pidDosyasi);
        pid_t pid = metin ? std::atoi(metin->c_str()) : 0;
        if (pid > 0 && yasiyor(pid)) return pid;
        return std::nullopt;
    }
    // The starts recorded so far: [pid, session, volume].
    std::vector<std::vector<std::string>> baslamalar() {
        std::vector<std::vector<std::string>> v;
        std::istringstream s(oku(isaret).value_or(""));
        for (std::string pid, sid, birim; s >> pid >> sid && std::getline(s, birim);)
            v.push_back({pid, sid, birim.empty() ? "" : birim.substr(1)});
        return v;
    }
    size_t baslamalar(const std::string& birim) {
        size_t n = 0;
        for (const auto& b : baslamalar()) n += b[2] == birim;
        return n;
    }
};

}  // namespace

TEST(AjanSablonu, StartsTheBundlesExecutableAsAgentOnEveryMountAndAtLoad) {
    std::string etiket = Yol::ajanEtiketi();
    auto t = Plist::dosyaOku(paket() + "/Contents/Library/LaunchAgents/" + etiket + ".plist");
    ASSERT_TRUE(t);
    EXPECT_EQ(Plist::metin(*t, "Label"), etiket);
    EXPECT_EQ(fs::path(paket()) / Plist::metin(*t, "BundleProgram").value_or(""), TestOrtami::calistirilabilir());
    EXPECT_EQ(Plist::dizi(*t, "ProgramArguments").back(), "--ajan");
    EXPECT_EQ(Plist::mantik(*t, "StartOnMount"), true);
    EXPECT_EQ(Plist::mantik(*t, "RunAtLoad"), true);
    for (const char* k : {"StandardOutPath", "StandardErrorPath"})
        EXPECT_TRUE(fs::path(Plist::metin(*t, k).value_or("")).is_absolute()) << k;
}

TEST(AjanSablonu, DesktopEntryArgumentsAreQuotedAndEscaped) {
    EXPECT_EQ(Yardimci::masaustuKomutu({"/a b/launchctl", "__izle"}), "\"/a b/launchctl\" \"__izle\"");
    EXPECT_EQ(Yardimci::masaustuKomutu({"x\"$`\\y 5%"}), "\"x\\\\\"\\\\$\\\\`\\\\\\\\y 5%%\"");
}

// Registered, the job is known and one watcher runs, which a login start
// brings back; unregistered, both are gone.
TEST_F(Launchctl, BootstrapRegistersAndKeepsOneWatcherBootoutRemovesBoth) {
    ASSERT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 0);
    KomutSonucu p = launchctl({"print", hedef});
    EXPECT_EQ(p.kod, 0);
    EXPECT_NE(p.cikti.find(program), std::string::npos) << p.cikti;
    EXPECT_NE(p.cikti.find(cikti), std::string::npos) << p.cikti;
    EXPECT_EQ(p.cikti.find("spawn failed"), std::string::npos) << p.cikti;
    auto ilk = izleyici();
    ASSERT_TRUE(ilk);
    // Loaded already: refused, and still the same one watcher.
    EXPECT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 5);
    EXPECT_EQ(launchctl({"__izle", Yardimci::isKlasoru()}).kod, 0);
    EXPECT_EQ(izleyici(), ilk);
    // Others' mounts may start it meanwhile; those name their volume.
    EXPECT_EQ(baslamalar(""), 0u) << "without RunAtLoad, loading starts nothing";

    // Login: the autostart entry's command starts the watcher again.
    ::kill(*ilk, SIGTERM);
    ASSERT_TRUE(bekle([&] { return !izleyici(); }));
    std::string giris = oku(girisKaydi).value_or("");
    auto exec = giris.find("\nExec=");
    ASSERT_NE(exec, std::string::npos) << giris;
    std::string satir = giris.substr(exec + 6, giris.find('\n', exec + 1) - exec - 6);
    ASSERT_EQ(komut("/bin/sh", {"-c", satir + " </dev/null >/dev/null 2>&1 &"}).kod, 0);
    ASSERT_TRUE(bekle([&] { return izleyici().has_value(); }));
    pid_t ikinci = *izleyici();

    EXPECT_EQ(launchctl({"bootout", hedef}).kod, 0);
    EXPECT_FALSE(yasiyor(ikinci)) << "the last job gone, the watcher is stopped";
    EXPECT_EQ(launchctl({"print", hedef}).kod, 113);
    EXPECT_FALSE(fs::exists(girisKaydi));
    EXPECT_EQ(launchctl({"bootout", hedef}).kod, 3);
}

// Where a systemd user manager runs, it keeps the watcher: one unit enabled
// for login instead of the autostart entry, gone with the last job.
TEST_F(Launchctl, AUserServiceManagerKeepsTheWatcherInstead) {
    const std::string calisma = TestOrtami::kok() + "/calisma", acik = TestOrtami::kok() + "/acik",
                      birim = TestOrtami::ev() + "/.config/systemd/user/brimvale-izleyici.service";
    TestOrtami::dosyaYaz(calisma + "/systemd/private", "");
    setenv("XDG_RUNTIME_DIR", calisma.c_str(), 1);
    // Starts what the unit's own command line says.
    SahteArac systemctl(TestOrtami::araclar(), "systemctl");
    systemctl.betik("case \"$2\" in start) sh -c \"exec $(sed -n 's/^ExecStart=//p' '" + birim +
                    "')\" </dev/null >/dev/null 2>&1 & ;; enable) touch '" + acik + "';; disable) rm -f '" + acik +
                    "';; is-enabled) test -e '" + acik + "' || exit 1;; esac");
    ASSERT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 0);
    EXPECT_FALSE(fs::exists(girisKaydi));
    std::string b = oku(birim).value_or("");
    for (const char* satir : {"\nKillMode=process\n", "\nWantedBy=default.target\n"})
        EXPECT_NE(b.find(satir), std::string::npos) << b;
    ASSERT_TRUE(bekle([&] { return izleyici().has_value(); }));
    EXPECT_NE(launchctl({"print", hedef}).cikti.find("login start = enabled"), std::string::npos);
    fs::remove(acik);  // turned off in the desktop's settings
    EXPECT_NE(launchctl({"print", hedef}).cikti.find("login start = disabled"), std::string::npos);

    EXPECT_EQ(launchctl({"bootout", hedef}).kod, 0);
    EXPECT_FALSE(fs::exists(birim));
    EXPECT_FALSE(izleyici()) << "stopped with the last job";
    bool kapatildi = false;
    for (const auto& c : systemctl.cagrilar())
        kapatildi |= c.args == std::vector<std::string>{"--user", "disable", "--now", "brimvale-izleyici.service"};
    EXPECT_TRUE(kapatildi);
}

TEST_F(Launchctl, RefusalsHaveTheirStatusesAndTexts) {
    ASSERT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 0);
    TestOrtami::dosyaYaz(TestOrtami::kok() + "/bozuk.plist", "not a property list");
    TestOrtami::dosyaYaz(TestOrtami::kok() + "/etiketsiz.plist", Plist::xml({{"Program", program}}));
    std::string baskasi = "gui/" + std::to_string(::getuid() + 1);
    struct Durum { std::vector<std::string> args; int kod; std::string metin; };
    for (const auto& d : std::vector<Durum>{
             {{"print", alan() + "/yok"}, 113, "Could not find service \"yok\""},
             {{"print", baskasi + "/" + etiket}, 113, "Could not find service"},
             {{"kickstart", alan() + "/yok"}, 113, "Could not find service"},
             {{"bootout", alan() + "/yok"}, 3, "Boot-out failed: 3"},
             {{"bootout", baskasi + "/" + etiket}, 3, "Boot-out failed: 3"},
             {{"bootstrap", baskasi, tanim}, 125, "Bootstrap failed: 125"},
             {{"bootstrap", alan(), TestOrtami::kok() + "/yok.plist"}, 2, "Bootstrap failed: 2"},
             {{"bootstrap", alan(), TestOrtami::kok() + "/bozuk.plist"}, 22, "Bootstrap failed: 22"},
             {{"bootstrap", alan(), TestOrtami::kok() + "/etiketsiz.plist"}, 22, "Bootstrap failed: 22"},
             {{"remove", etiket}, 64, "Usage"},
         }) {
        KomutSonucu s = launchctl(d.args);
        EXPECT_EQ(s.kod, d.kod) << d.args[0] << " " << d.args[1];
        EXPECT_NE(s.cikti.find(d.metin), std::string::npos) << s.cikti;
    }
    EXPECT_EQ(launchctl({"print", hedef}).kod, 0) << "refusals touched nothing";
}

// Kickstart starts the job at once in a session of its own, output where the
// definition says; a job whose program is gone cannot start.
TEST_F(Launchctl, KickstartStartsTheJobDetachedOrReportsSpawnFailed) {
    // Without the mount trigger: other tests' mounts must not start it meanwhile.
    TestOrtami::dosyaYaz(tanim, Plist::xml({{"Label", etiket},
                                            {"ProgramArguments", {program, "--ajan"}},
                                            {"StandardOutPath", cikti}}));
    ASSERT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 0);
    ASSERT_EQ(launchctl({"kickstart", "-k", hedef}).kod, 0);
    ASSERT_TRUE(bekle([&] { return baslamalar().size() == 1 && oku(cikti).value_or("") == "calisti\n"; }));
    auto b = baslamalar()[0];
    EXPECT_EQ(b[0], b[1]) << "the job leads its own session";
    EXPECT_NE(b[1], std::to_string(::getsid(0)));

    fs::remove(program);
    KomutSonucu k = launchctl({"kickstart", hedef});
    EXPECT_NE(k.kod, 0);
    EXPECT_NE(k.cikti.find("spawn failed"), std::string::npos) << k.cikti;
    KomutSonucu p = launchctl({"print", hedef});
    EXPECT_EQ(p.kod, 0);
    EXPECT_NE(p.cikti.find("spawn failed"), std::string::npos) << p.cikti;
}

// Each new mount starts the job once; a mount already there when the watcher
// began, or one it has seen, starts nothing more.
TEST_F(Launchctl, EachNewMountStartsTheJobOnce) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    struct Baglama {
        std::string yol;
        explicit Baglama(std::string y) : yol(std::move(y)) {
            fs::create_directories(yol);
            ok = ::mount("deneme", yol.c_str(), "tmpfs", 0, "size=64k") == 0;
        }
        ~Baglama() {
            if (ok) ::umount2(yol.c_str(), MNT_DETACH);
        }
        bool ok = false;
    };
    Baglama onceden(TestOrtami::kok() + "/m0");
    ASSERT_TRUE(onceden.ok);
    ASSERT_EQ(launchctl({"bootstrap", alan(), tanim}).kod, 0);
    Baglama ilk(TestOrtami::kok() + "/m1");
    ASSERT_TRUE(ilk.ok);
    ASSERT_TRUE(bekle([&] { return baslamalar(ilk.yol) == 1; })) << oku(isaret).value_or("");
    // A later mount is seen only after the first one's change was handled.
    Baglama ikinci(TestOrtami::kok() + "/m2");
    ASSERT_TRUE(ikinci.ok);
    ASSERT_TRUE(bekle([&] { return baslamalar(ikinci.yol) == 1; })) << oku(isaret).value_or("");
    EXPECT_EQ(baslamalar(ilk.yol), 1u);
    EXPECT_EQ(baslamalar(onceden.yol), 0u);
}
