// The stand-in tools run as the engine runs them, as separate programs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
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
KomutSonucu parolaBul(const std::string& servis) {
    return komut(yardimci("security"), {"find-generic-password", "-s", servis, "-a", "u", "-w"});
}
}  // namespace

TEST(Yardimci, InteractiveKeychainLinesAreSplitAsQuoted) {
    using A = std::vector<std::string>;
    EXPECT_EQ(Yardimci::komutSatiri("add-generic-password -U -s \"a b\" -w \"x\\\"y\\\\z\""),
              (A{"add-generic-password", "-U", "-s", "a b", "-w", "x\"y\\z"}));
    EXPECT_EQ(Yardimci::komutSatiri("  -w \"\"  plain\t"), (A{"-w", "", "plain"}));
    // A value cut off by the end of its line.
    EXPECT_EQ(Yardimci::komutSatiri("add-generic-password -w \"abc"), std::nullopt);
    EXPECT_EQ(Yardimci::komutSatiri("-w \"a\\\""), std::nullopt);
}

TEST(Yardimci, LabelsBecomeOneFolderName) {
    struct Durum { std::string etiket, klasor; };
    std::string uzun(300, 'x');
    // 239 bytes and a two-byte letter: cut at 240, the letter goes whole.
    std::string yarim = std::string(239, 'y') + "\u00E7";
    for (const auto& d : std::vector<Durum>{{"../var/x", ".._var_x"}, {"/etc", "_etc"}, {"..", "YEDEK"}, {".", "YEDEK"},
                                           {"", "YEDEK"}, {"a\nb\tc\x7f", "a_b_c_"}, {"...", "..."},
                                           {"Yedek Diski \u015E", "Yedek Diski \u015E"},
                                           {uzun, std::string(240, 'x')}, {yarim, std::string(239, 'y')}}) {
        std::string k = Yardimci::klasorAdi(d.etiket, "YEDEK");
        EXPECT_EQ(k, d.klasor) << d.etiket;
        EXPECT_EQ(fs::path("/media/" + k).lexically_normal().parent_path(), "/media") << d.etiket;
    }
}

// The keychain stand-in refuses a line break or NUL in a value; its file store
// only the user can read: each save replaces the one before, and a damaged
// store is kept aside, never overwritten.
TEST(Yardimci, KeychainRefusesLineBreaksAndKeepsADamagedStoreAside) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    std::string dosya = TestOrtami::ev() + "/.local/share/Ondrak Brimvale/anahtarlik.json";
    struct Durum { std::string ad; std::vector<std::string> args; std::string girdi; };
    for (const auto& d : std::vector<Durum>{
             // The password ends its line early: the rest would be a command of its own.
             {"interactive line break",
              {"-i"},
              "add-generic-password -U -s \"s1\" -a \"u\" -w \"abc\nadd-generic-password -U -s \"s2\" -a \"u\" -w \"evil\"\n"},
             {"interactive NUL", {"-i"}, std::string("add-generic-password -s \"s1\" -a \"u\" -w \"a") + '\0' + "b\"\n"},
             {"interactive carriage return", {"-i"}, "add-generic-password -s \"s1\" -a \"u\" -w \"a\rb\"\n"},
             {"argument line break", {"add-generic-password", "-s", "s1", "-a", "u", "-w", "a\nb"}, ""},
             {"argument carriage return", {"add-generic-password", "-s", "s1\r", "-a", "u", "-w", "ab"}, ""},
         }) {
        KomutSonucu s = komut(yardimci("security"), d.args, d.girdi);
        EXPECT_EQ(s.kod, 1) << d.ad;
        EXPECT_NE(s.cikti.find("nothing was"), std::string::npos) << d.ad << ": " << s.cikti;
        EXPECT_EQ(s.cikti.find("abc"), std::string::npos) << d.ad << ": the value is not echoed";
        EXPECT_EQ(parolaBul("s1").kod, 44) << d.ad;
        EXPECT_EQ(parolaBul("s2").kod, 44) << d.ad;
    }

    Ayarlar a;
    for (std::string parola : {"a\"b\\c d'e $x", "ikinci \u015Fifre"}) {
        EXPECT_TRUE(Kurulum::parolaKaydet(parola, a));
        EXPECT_EQ(Disk::parola(a), parola);
    }
    EXPECT_EQ(TestOrtami::durum(dosya).st_mode & 0777, 0600u);
    EXPECT_EQ(TestOrtami::durum(fs::path(dosya).parent_path()).st_mode & 0077, 0u);
    Ayarlar baska;
    baska.anahtar = "baska";
    EXPECT_EQ(Disk::parola(baska), std::nullopt);
    EXPECT_EQ(parolaBul("baska").kod, 44);

    // Cut off mid-write by some other program: other passwords are in it.
    const std::string bozuk = "{\n  \"baska\\nu\": {\"label\": \"x\", \"password\": \"eski sifre\"},\n  \"com.ondrak";
    TestOrtami::dosyaYaz(dosya, bozuk);
    ::chmod(dosya.c_str(), 0600);
    KomutSonucu s = parolaBul("baska");
    EXPECT_EQ(s.kod, 1) << "a damaged store is not an empty one";
    EXPECT_NE(s.cikti.find("is damaged"), std::string::npos) << s.cikti;
    EXPECT_EQ(baytlariOku(dosya), bozuk);

    // Saving keeps the damaged store whole beside the new one, and says where.
    EXPECT_TRUE(Kurulum::parolaKaydet("yeni parola 1", a));
    EXPECT_EQ(Disk::parola(a), "yeni parola 1");
    std::vector<fs::path> kenar;
    for (const auto& e : fs::directory_iterator(fs::path(dosya).parent_path()))
        if (e.path().filename().string().starts_with("anahtarlik.json.bozuk-")) kenar.push_back(e.path());
    ASSERT_EQ(kenar.size(), 1u);
    EXPECT_EQ(baytlariOku(kenar[0].string()), bozuk);
    EXPECT_EQ(TestOrtami::durum(kenar[0].string()).st_mode & 0777, 0600u);
    std::string gunluk = TestOrtami::gunluk();
    EXPECT_NE(gunluk.find("WARNING: keychain: security: the password store"), std::string::npos) << gunluk;
    EXPECT_NE(gunluk.find("kept as \u201C" + kenar[0].string() + "\u201D"), std::string::npos) << gunluk;
    EXPECT_EQ(gunluk.find("yeni parola"), std::string::npos);

    // A store that cannot be read at all is left as it is and nothing is saved.
    fs::remove(dosya);
    fs::create_directory(dosya);
    EXPECT_FALSE(Kurulum::parolaKaydet("yeni parola 2", a));
    EXPECT_TRUE(fs::is_directory(dosya));
}

// A compressed read-only image of a folder, and what the image and disk tools refuse.
TEST(Yardimci, CompressedImageOfAFolderAndTheToolsRefusals) {
    std::string kaynak = TestOrtami::kok() + "/kit/Brimvale.app", hedef = TestOrtami::kok() + "/Kit.dmg";
    TestOrtami::dosyaYaz(kaynak + "/Contents/x", "icerik");
    std::vector<std::string> args = {"create", "-format", "UDZO", "-volname", "Kit", "-srcfolder", kaynak, hedef};
    KomutSonucu s = komut(yardimci("hdiutil"), args);
    ASSERT_EQ(s.kod, 0) << s.cikti;
    KomutSonucu liste = komut("/usr/bin/tar", {"-tzf", hedef});
    // The bundle itself is the top entry: unpacking yields the application by name.
    EXPECT_NE(liste.cikti.find("Brimvale.app/Contents/x"), std::string::npos) << liste.cikti;
    EXPECT_EQ(liste.cikti.find("./"), std::string::npos) << liste.cikti;

    struct Durum { std::string arac; std::vector<std::string> args; int kod; std::string parca; };
    std::string klasor = TestOrtami::kok() + "/duz";
    fs::create_directories(klasor);
    for (const auto& d : std::vector<Durum>{
             {"hdiutil", args, 1, "File exists"},
             {"hdiutil", {"create", "-format", "UDZO", "-volname", "K", "-srcfolder", kaynak + "/yok",
                          TestOrtami::kok() + "/b.dmg"}, 1, "No such file or directory"},
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
        s = komut(yardimci(d.arac), d.args, std::string());
        EXPECT_EQ(s.kod, d.kod) << d.arac << " " << (d.args.empty() ? "" : d.args[0]);
        EXPECT_NE(s.cikti.find(d.parca), std::string::npos) << s.cikti;
    }
    EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/b.dmg"));
    args.insert(args.begin() + 1, "-ov");
    EXPECT_EQ(komut(yardimci("hdiutil"), args).kod, 0);
    s = komut(yardimci("hdiutil"), {"info", "-plist"});
    ASSERT_EQ(s.kod, 0);
    auto p = Plist::coz(s.cikti);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->contains("images"));
}
