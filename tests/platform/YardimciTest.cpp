// The stand-in tools run as the engine runs them, as separate programs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {
std::string yardimci(const std::string& ad) {
    return (fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path() / "Helpers" / ad).string();
}
}  // namespace

TEST(Yardimci, InteractiveKeychainLinesAreSplitAsQuoted) {
    using A = std::vector<std::string>;
    EXPECT_EQ(Yardimci::komutSatiri("add-generic-password -U -s \"a b\" -w \"x\\\"y\\\\z\""),
              (A{"add-generic-password", "-U", "-s", "a b", "-w", "x\"y\\z"}));
    EXPECT_EQ(Yardimci::komutSatiri("  -w \"\"  plain\t"), (A{"-w", "", "plain"}));
}

TEST(Yardimci, PasswordRoundTripsThroughTheFileStoreOnlyTheUserCanRead) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    Ayarlar a;
    for (std::string parola : {"a\"b\\c d'e $x", "ikinci \u015Fifre"}) {
        EXPECT_TRUE(Kurulum::parolaKaydet(parola, a));
        EXPECT_EQ(Disk::parola(a), parola);
    }
    std::string dosya = TestOrtami::ev() + "/.local/share/Ondrak Brimvale/anahtarlik.json";
    struct stat st{};
    ASSERT_EQ(stat(dosya.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(fs::path(dosya).parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);
    a.anahtar = "baska";
    EXPECT_EQ(Disk::parola(a), std::nullopt);
    Sonuc s = komut(yardimci("security"), {"find-generic-password", "-s", "baska", "-a", "x", "-w"});
    EXPECT_EQ(s.kod, 44);
}

TEST(Yardimci, CompressedReadOnlyImageOfAFolder) {
    std::string kaynak = TestOrtami::kok() + "/kit/Brimvale.app";
    TestOrtami::dosyaYaz(kaynak + "/Contents/x", "icerik");
    std::string hedef = TestOrtami::kok() + "/Kit.dmg";
    std::vector<std::string> args = {"create", "-format", "UDZO", "-volname", "Kit", "-srcfolder", kaynak, hedef};
    Sonuc s = komut(yardimci("hdiutil"), args);
    ASSERT_EQ(s.kod, 0) << s.cikti;
    Sonuc liste = komut("/usr/bin/tar", {"-tzf", hedef});
    // The bundle itself is the top entry: unpacking yields the application by name.
    EXPECT_NE(liste.cikti.find("Brimvale.app/Contents/x"), std::string::npos) << liste.cikti;
    EXPECT_EQ(liste.cikti.find("./"), std::string::npos) << liste.cikti;

    s = komut(yardimci("hdiutil"), args);
    EXPECT_NE(s.kod, 0);
    EXPECT_NE(s.cikti.find("File exists"), std::string::npos);
    args.insert(args.begin() + 1, "-ov");
    EXPECT_EQ(komut(yardimci("hdiutil"), args).kod, 0);

    s = komut(yardimci("hdiutil"), {"create", "-format", "UDZO", "-volname", "K", "-srcfolder", kaynak + "/yok",
                                    TestOrtami::kok() + "/b.dmg"});
    EXPECT_EQ(s.kod, 1);
    EXPECT_NE(s.cikti.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/b.dmg"));
}

TEST(Yardimci, ImageToolRefusalsAndDiskToolLookUps) {
    struct Durum { std::string arac; std::vector<std::string> args; int kod; std::string parca; };
    std::string klasor = TestOrtami::kok() + "/duz";
    fs::create_directories(klasor);
    for (const auto& d : std::vector<Durum>{
             {"hdiutil", {"attach", "-stdinpass", "-mountpoint", Yol::mnt(), klasor}, 1, "image not recognized"},
             {"hdiutil", {"compact", "-stdinpass", klasor}, 1, "image not recognized"},
             {"hdiutil", {"detach", "-quiet", TestOrtami::kok() + "/yok"}, 1, "detach failed"},
             {"hdiutil", {"create", "-stdinpass", "-volname", "B", klasor}, 1, "File exists"},
             {"hdiutil", {"frobnicate"}, 1, "Usage"},
             {"diskutil", {"info", "-plist", TestOrtami::kok() + "/yok"}, 1, "Could not find disk"},
             {"diskutil", {"mount", "nodisk"}, 1, "Unable to find disk"},
             {"diskutil", {"eject", "nodisk"}, 1, "Unable to find disk"},
             {"brimvale-yardimci", {}, 64, "unknown tool name"},
         }) {
        Sonuc s = komut(yardimci(d.arac), d.args, std::string());
        EXPECT_EQ(s.kod, d.kod) << d.arac << " " << (d.args.empty() ? "" : d.args[0]);
        EXPECT_NE(s.cikti.find(d.parca), std::string::npos) << s.cikti;
    }
    Sonuc s = komut(yardimci("hdiutil"), {"info", "-plist"});
    ASSERT_EQ(s.kod, 0);
    auto p = Plist::coz(s.cikti);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->contains("images"));
}
