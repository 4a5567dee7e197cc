// The image operations against recording fake tools: error texts, retries
// and stale attachments. The command lines themselves, and the password on
// standard input, are proven by the real-disk tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

const std::string kImaj = "/media/DISK/Brimvale.sparsebundle";

struct Imaj : testing::Test {
    Saat::SahteSaat saat;
    void SetUp() override {
        Saat::kaynakKur(&saat);
        setenv("BRIMVALE_PAROLA", "gizli \"parola\"", 1);
    }
    void TearDown() override { Saat::kaynakKur(nullptr); }
    // An hdiutil whose listing is `info` and whose detach runs `detach` (shell text).
    static SahteArac hdiutil(const std::string& info, const std::string& detach) {
        TestOrtami::dosyaYaz(TestOrtami::kok() + "/info.plist", info);
        SahteArac arac(TestOrtami::araclar(), "hdiutil");
        arac.betik("case \"$1\" in info) cat '" + TestOrtami::kok() + "/info.plist'; exit 0;;\n"
                   "detach) " + detach + ";; esac; exit 0");
        return arac;
    }
};

}  // namespace

TEST_F(Imaj, SizeArgumentIsNinetyFivePercentInWholeGigabytes) {
    struct Durum { double kapasite; std::string boyut; };
    for (const auto& d : std::vector<Durum>{{250e9, "237g"}, {1e12, "950g"}, {1.06e9, "1g"}, {1.05e9, "1g"},
                                           {0, "1g"}, {2.2e9, "2g"}, {2.106e9, "2g"}})
        EXPECT_EQ(Disk::imajBoyutu(d.kapasite), d.boyut) << d.kapasite;
}

TEST_F(Imaj, CreateFailureTextAndExistingImage) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    Birim b{"U", "DISK", TestOrtami::kok() + "/disk", 250e9, 1e9};
    fs::create_directories(b.yol);
    hdiutil.cevap("  hdiutil: create failed - File exists\n", 1);
    EXPECT_EQ(Kurulum::imajOlustur(b, Ayarlar{}, "x"), "hdiutil: create failed - File exists");
    // An image that is already there is kept and counts as success.
    fs::create_directories(b.yol + "/Brimvale.sparsebundle");
    EXPECT_EQ(Kurulum::imajOlustur(b, Ayarlar{}, "x"), std::nullopt);
    EXPECT_EQ(hdiutil.cagrilar().size(), 1u);
}

TEST_F(Imaj, AttachErrorTexts) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    struct Durum { std::string cikti; int kod; std::string hata; };
    for (const auto& d : std::vector<Durum>{
             {"hdiutil: attach: WARNING: -owners is deprecated\nhdiutil: attach failed - Authentication error\n\n", 1,
              "hdiutil: attach failed - Authentication error"},
             {"a\nb\n", 12, "a b"},
             {"", 5, "attach failed (5)"},
             {"something deprecated\n", 1, "attach failed (1)"},
         }) {
        hdiutil.cevap(d.cikti, d.kod);
        EXPECT_EQ(Disk::imajiBagla(kImaj, true, Ayarlar{}), d.hata);
    }
}

TEST_F(Imaj, AttachWithoutPasswordRunsNothing) {
    unsetenv("BRIMVALE_PAROLA");
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    SahteArac security(TestOrtami::araclar(), "security");
    security.cevap("security: SecKeychainSearchCopyNext: not found\n", 44);
    EXPECT_EQ(Disk::imajiBagla(kImaj, true, Ayarlar{}), "parola yok");
    EXPECT_TRUE(hdiutil.cagrilar().empty());
    EXPECT_EQ(security.cagrilar().size(), 1u);
}

// What answers at the mount point is used only when the image tool lists
// this image in use there (or cannot list at all) and it gives the access
// asked for; anything else (a mount left by a disk that was pulled, another
// image) is detached before this image is attached.
TEST_F(Imaj, AttachmentAtTheMountPointIsUsedOnlyWhenItIsThisImage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    fs::create_directories(Yol::mnt());
    std::string mnt = fs::canonical(Yol::mnt()).string();
    auto liste = [](const std::string& imaj, std::optional<std::string> nokta) {
        nlohmann::json varlik = {{"dev-entry", "fuse:0:90"}};
        if (nokta) varlik["mount-point"] = *nokta;
        return Plist::xml({{"images", {{{"image-path", imaj}, {"system-entities", {varlik}}}}}});
    };
    const std::string mesgul = "hdiutil: couldn't unmount - Resource busy";
    struct Durum {
        std::string ad;
        bool saltOkunur, saltIstenir;  // the stand-in's mount, the attach asked for
        std::string info;
        int detach, ayirma, zorla;  // detach's status; plain and forced detaches expected
        std::optional<std::string> hata;
    };
    for (const auto& d : std::vector<Durum>{
             {"read-only serves read-only, listing unreadable", true, true, "not a plist", 0, 0, 0, std::nullopt},
             {"read-only replaced for read-write, detach fails", true, false, liste(kImaj, mnt), 16, 5, 0, mesgul},
             {"read-write serves read-only", false, true, liste(kImaj, mnt), 0, 0, 0, std::nullopt},
             {"this image in use there", false, false, liste(kImaj, mnt), 0, 0, 0, std::nullopt},
             {"unreadable listing", false, false, "not a plist", 0, 0, 0, std::nullopt},
             {"this image, no longer served from its disk", false, false, liste(kImaj, std::nullopt), 0, 1, 0,
              std::nullopt},
             {"another image there", false, false, liste("/media/OTHER/x.sparsebundle", mnt), 0, 1, 0, std::nullopt},
             {"nothing listed", false, false, Plist::xml({{"images", nlohmann::json::array()}}), 0, 1, 0, std::nullopt},
             {"one that cannot be detached", false, false, liste(kImaj, std::nullopt), 16, 1, 1,
              "the mount point " + Yol::mnt() + " is in use"},
         }) {
        SCOPED_TRACE(d.ad);
        SahteBaglama b(d.saltOkunur);
        ASSERT_TRUE(b.tamam);
        EXPECT_EQ(Disk::imajDurumu(), d.saltOkunur ? Disk::Baglanti::okuma : Disk::Baglanti::yazma);
        // A detach that works unmounts the stand-in.
        auto arac = hdiutil(d.info, "[ " + std::to_string(d.detach) + " = 0 ] || { echo \"" + mesgul + "\"; exit " +
                                        std::to_string(d.detach) + "; }; umount -l \"$3\"; exit 0");
        EXPECT_EQ(Disk::imajiBagla(kImaj, d.saltIstenir, Ayarlar{}), d.hata);
        int ayirma = 0, zorla = 0;
        for (const auto& c : arac.cagrilar()) {
            ayirma += c.args == Args{"detach", "-quiet", Yol::mnt()};
            zorla += c.args == Args{"detach", "-quiet", "-force", Yol::mnt()};
        }
        EXPECT_EQ(ayirma, d.ayirma);
        EXPECT_EQ(zorla, d.zorla);
        bool baglandi = !arac.cagrilar().empty() && arac.cagrilar().back().args.at(0) == "attach";
        EXPECT_EQ(baglandi, d.ayirma == 1 && d.zorla == 0);
        if (baglandi) {
            EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: " + Yol::mnt()), std::string::npos);
        }
    }
}

TEST_F(Imaj, DetachTriesFiveTimesFiveSecondsApart) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    EXPECT_EQ(Disk::imajiAyir(), std::nullopt);  // nothing attached: nothing run
    EXPECT_TRUE(hdiutil.cagrilar().empty());

    SahteBaglama b(false);
    ASSERT_TRUE(b.tamam);
    hdiutil.cevap(" hdiutil: couldn't unmount \"fuse:0:1\" - Resource busy \n", 16);
    EXPECT_EQ(Disk::imajiAyir(), "hdiutil: couldn't unmount \"fuse:0:1\" - Resource busy");
    EXPECT_EQ(hdiutil.cagrilar().size(), 5u);
    EXPECT_EQ(saat.beklemeSayisi, 4);
    EXPECT_DOUBLE_EQ(saat.toplamBekleme, 20);
    EXPECT_NE(TestOrtami::gunluk().find(
                  "UYARI: imaj ayrılamadı: hdiutil: couldn't unmount \"fuse:0:1\" - Resource busy"),
              std::string::npos);
    hdiutil.cevap("", 1);
    EXPECT_EQ(Disk::imajiAyir(), "meşgul");

    SahteArac ikinci(TestOrtami::araclar(), "hdiutil");
    ikinci.ilkHatalar(2, "busy", 16);
    EXPECT_EQ(Disk::imajiAyir(), std::nullopt);
    EXPECT_EQ(ikinci.cagrilar().size(), 3u);
}

// Of this image's attachments only a whole-image one no longer mounted is
// stale; a plain detach that fails is forced.
TEST_F(Imaj, StaleAttachmentsAreDetachedAndForcedWhenNeeded) {
    nlohmann::json liste = {
        {"images",
         {{{"image-path", kImaj}, {"system-entities", {{{"dev-entry", "fuse:0:77s1"}}, {{"dev-entry", "fuse:0:77"}}}}},
          {{"image-path", kImaj}, {"system-entities", {{{"dev-entry", "fuse:0:78"}, {"mount-point", "/x"}}}}},
          {{"image-path", "/other/image"}, {"system-entities", {{{"dev-entry", "fuse:0:79"}}}}},
          {{"image-path", kImaj}}}}};
    auto arac = hdiutil(Plist::xml(liste), "[ \"$3\" = -force ] && exit 0; echo busy; exit 16");
    Disk::artiklariAyir(kImaj);
    auto c = arac.cagrilar();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[1].args, (Args{"detach", "-quiet", "fuse:0:77"}));
    EXPECT_EQ(c[2].args, (Args{"detach", "-quiet", "-force", "fuse:0:77"}));
    EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: fuse:0:77"), std::string::npos);

    // Unreadable listing: nothing happens.
    auto bozuk = hdiutil("not a plist", "exit 0");
    Disk::artiklariAyir(kImaj);
    EXPECT_EQ(bozuk.cagrilar().size(), 1u);
}

// An image that grew is a gain of 0, not a loss; a failed run still reports what it freed.
TEST_F(Imaj, CompactionMeasuresTheGainAndNeverReportsALoss) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    struct Durum { std::string once, sonra, cikti; int kod; bool tamam; long long kazanc; std::string gunluk; };
    for (const auto& d : std::vector<Durum>{
             {"100", "300", "", 0, true, 0, "Image compacted: Zero KB freed on the disk"},
             {"2048", "1024", "line one\nline two\n", 1, false, 1048576, "WARNING: compact failed: line one line two "},
         }) {
        SCOPED_TRACE(d.gunluk);
        // Asked before and after: the first answer is the size before.
        SahteArac(TestOrtami::araclar(), "du").ilkHatalar(1, d.once + "\t" + kImaj, 0).cevap(d.sonra + "\t" + kImaj);
        hdiutil.cevap(d.cikti, d.kod);
        auto s = Disk::sikistirOlc(kImaj, Ayarlar{});
        EXPECT_EQ(s.tamam, d.tamam);
        EXPECT_EQ(s.kazanc, d.kazanc);
        EXPECT_NE(TestOrtami::gunluk().find(d.gunluk), std::string::npos);
    }
    unsetenv("BRIMVALE_PAROLA");
    SahteArac(TestOrtami::araclar(), "security").cevap("", 44);
    auto s = Disk::sikistirOlc(kImaj, Ayarlar{});
    EXPECT_FALSE(s.tamam);
    EXPECT_EQ(s.kazanc, 0);
    EXPECT_EQ(hdiutil.cagrilar().size(), 2u);
    EXPECT_NE(TestOrtami::gunluk().find("WARNING: compact: no password"), std::string::npos);
}

TEST_F(Imaj, PasswordWithALineBreakOrNulIsNeverStored) {
    unsetenv("BRIMVALE_PAROLA");
    SahteArac security(TestOrtami::araclar(), "security");
    for (const std::string& parola : {std::string("abc\nadd-generic-password -s x -w y"), std::string("abc\r"),
                                      std::string("a\0b", 3), std::string("\n")}) {
        EXPECT_EQ(Kurulum::parolaSorunu(parola), "The password cannot contain line breaks or NUL characters.");
        EXPECT_FALSE(Kurulum::parolaKaydet(parola, Ayarlar{}));
    }
    EXPECT_TRUE(security.cagrilar().empty()) << "nothing reaches the keychain tool";
    auto gunluk = TestOrtami::gunluk();
    EXPECT_NE(gunluk.find("ERROR: password not saved: The password cannot contain line breaks or NUL characters."),
              std::string::npos);
    EXPECT_EQ(gunluk.find("abc"), std::string::npos);
    EXPECT_EQ(Kurulum::parolaSorunu("a \"quoted\" \\ \t password"), std::nullopt);
}

// A save counts only when the keychain gives the same password back.
TEST_F(Imaj, ASavedPasswordIsReadBackToConfirmIt) {
    unsetenv("BRIMVALE_PAROLA");
    SahteArac security(TestOrtami::araclar(), "security");
    struct Durum { std::string cevap; int kod; bool kaydedildi; };
    for (const auto& d : std::vector<Durum>{{"a\\\"b\n", 0, true}, {"other\n", 0, false}, {"", 1, false}}) {
        security.cevap(d.cevap, d.kod);
        EXPECT_EQ(Kurulum::parolaKaydet("a\\\"b", Ayarlar{}), d.kaydedildi) << d.cevap;
    }
}
