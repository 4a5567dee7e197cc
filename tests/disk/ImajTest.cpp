// The image operations against recording fake tools: error texts, retries,
// what reaches standard input and stale attachments. The command lines
// themselves are proven by the real-disk tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
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
    hdiutil.girdiKaydet();
    Birim b{"U", "DISK", TestOrtami::kok() + "/disk", 250e9, 1e9};
    fs::create_directories(b.yol);
    EXPECT_EQ(Kurulum::imajOlustur(b, Ayarlar{}, "p\"w"), std::nullopt);
    auto c = hdiutil.cagrilar();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_NE(std::find(c[0].args.begin(), c[0].args.end(), "237g"), c[0].args.end());
    EXPECT_EQ(c[0].girdi, "p\"w");

    hdiutil.cevap("  hdiutil: create failed - File exists\n", 1);
    EXPECT_EQ(Kurulum::imajOlustur(b, Ayarlar{}, "x"), "hdiutil: create failed - File exists");
    // An image that is already there is kept and counts as success.
    fs::create_directories(b.yol + "/Brimvale.sparsebundle");
    EXPECT_EQ(Kurulum::imajOlustur(b, Ayarlar{}, "x"), std::nullopt);
    EXPECT_EQ(hdiutil.cagrilar().size(), 2u);
}

TEST_F(Imaj, AttachReadOnlyOrNotAndErrorTexts) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    hdiutil.girdiKaydet();
    EXPECT_EQ(Disk::imajiBagla(kImaj, true, Ayarlar{}), std::nullopt);
    EXPECT_EQ(Disk::imajiBagla(kImaj, false, Ayarlar{}), std::nullopt);
    auto c = hdiutil.cagrilar();
    ASSERT_EQ(c.size(), 4u);
    auto salt = [](const Cagri& x) { return std::count(x.args.begin(), x.args.end(), "-readonly"); };
    EXPECT_EQ(salt(c[1]), 1);
    EXPECT_EQ(c[1].girdi, "gizli \"parola\"");
    EXPECT_EQ(salt(c[3]), 0);
    EXPECT_TRUE(fs::is_directory(Yol::mnt()));

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

TEST_F(Imaj, StateAtTheMountPointDecidesWhatAttachDoes) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yok);
    {
        SahteBaglama b(true);
        ASSERT_TRUE(b.tamam);
        EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::okuma);
        // Only the listing is asked (unreadable here: the attachment is trusted).
        EXPECT_EQ(Disk::imajiBagla(kImaj, true, Ayarlar{}), std::nullopt);  // already read-only
        ASSERT_EQ(hdiutil.cagrilar().size(), 1u);
        EXPECT_EQ(hdiutil.cagrilar()[0].args, (Args{"info", "-plist"}));
        // Read-write wanted: the read-only attachment is detached first; a
        // detach that fails ends it there.
        SahteArac mesgul(TestOrtami::araclar(), "hdiutil");
        mesgul.cevap("hdiutil: couldn't unmount - Resource busy\n", 16);
        EXPECT_EQ(Disk::imajiBagla(kImaj, false, Ayarlar{}), "hdiutil: couldn't unmount - Resource busy");
        auto c = mesgul.cagrilar();
        ASSERT_EQ(c.size(), 6u);
        for (size_t i = 1; i < c.size(); ++i) EXPECT_EQ(c[i].args, (Args{"detach", "-quiet", Yol::mnt()}));
    }
    {
        SahteBaglama b(false);
        ASSERT_TRUE(b.tamam);
        EXPECT_EQ(Disk::imajDurumu(), Disk::Baglanti::yazma);
        SahteArac yeni(TestOrtami::araclar(), "hdiutil");
        EXPECT_EQ(Disk::imajiBagla(kImaj, true, Ayarlar{}), std::nullopt);  // read-write serves too
        EXPECT_EQ(Disk::imajiBagla(kImaj, false, Ayarlar{}), std::nullopt);
        for (const auto& x : yeni.cagrilar()) EXPECT_EQ(x.args, (Args{"info", "-plist"}));
    }
}

// What answers at the mount point is used only when the image tool lists
// this image in use there; anything else (a mount left by a disk that was
// pulled, another image) is detached before this image is attached.
TEST_F(Imaj, AttachmentAtTheMountPointIsUsedOnlyWhenItIsThisImage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
    fs::create_directories(Yol::mnt());
    std::string mnt = fs::canonical(Yol::mnt()).string();
    auto liste = [](const std::string& imaj, std::optional<std::string> nokta) {
        nlohmann::json varlik = {{"dev-entry", "fuse:0:90"}};
        if (nokta) varlik["mount-point"] = *nokta;
        return Plist::xml({{"images", {{{"image-path", imaj}, {"system-entities", {varlik}}}}}});
    };
    struct Durum { std::string ad, info; int detach; bool ayrilir; std::optional<std::string> hata; };
    for (const auto& d : std::vector<Durum>{
             {"this image in use there", liste(kImaj, mnt), 0, false, std::nullopt},
             {"unreadable listing", "not a plist", 0, false, std::nullopt},
             {"this image, no longer served from its disk", liste(kImaj, std::nullopt), 0, true, std::nullopt},
             {"another image there", liste("/media/OTHER/x.sparsebundle", mnt), 0, true, std::nullopt},
             {"nothing listed", Plist::xml({{"images", nlohmann::json::array()}}), 0, true, std::nullopt},
             {"one that cannot be detached", liste(kImaj, std::nullopt), 16, false,
              "the mount point " + Yol::mnt() + " is in use"},
         }) {
        SahteBaglama b(false);
        ASSERT_TRUE(b.tamam) << d.ad;
        TestOrtami::dosyaYaz(TestOrtami::kok() + "/info.plist", d.info);
        SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
        // A detach that works unmounts the stand-in.
        hdiutil.betik("case \"$1\" in info) cat '" + TestOrtami::kok() + "/info.plist'; exit 0;;\n"
                      "detach) [ " + std::to_string(d.detach) + " = 0 ] || exit " + std::to_string(d.detach) +
                      "; umount -l \"$3\"; exit 0;; esac; exit 0");
        EXPECT_EQ(Disk::imajiBagla(kImaj, false, Ayarlar{}), d.hata) << d.ad;
        std::vector<Args> hepsi;
        for (const auto& c : hdiutil.cagrilar()) hepsi.push_back(c.args);
        bool ayrildi = std::find(hepsi.begin(), hepsi.end(), Args{"detach", "-quiet", Yol::mnt()}) != hepsi.end();
        bool baglandi = !hepsi.empty() && hepsi.back().size() > 1 && hepsi.back()[0] == "attach";
        EXPECT_EQ(ayrildi, d.ayrilir || d.detach != 0) << d.ad;
        EXPECT_EQ(baglandi, d.ayrilir) << d.ad;
        if (d.ayrilir) {
            EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: " + Yol::mnt()), std::string::npos);
        }
        if (d.detach != 0) {
            ASSERT_FALSE(hepsi.empty()) << d.ad;
            EXPECT_EQ(hepsi.back(), (Args{"detach", "-quiet", "-force", Yol::mnt()})) << d.ad;
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

TEST_F(Imaj, StaleAttachmentsAreDetachedAndForcedWhenNeeded) {
    nlohmann::json liste = {
        {"images",
         {{{"image-path", kImaj}, {"system-entities", {{{"dev-entry", "fuse:0:77s1"}}, {{"dev-entry", "fuse:0:77"}}}}},
          {{"image-path", kImaj}, {"system-entities", {{{"dev-entry", "fuse:0:78"}, {"mount-point", "/x"}}}}},
          {{"image-path", "/other/image"}, {"system-entities", {{{"dev-entry", "fuse:0:79"}}}}},
          {{"image-path", kImaj}}}}};
    TestOrtami::dosyaYaz(TestOrtami::kok() + "/info.plist", Plist::xml(liste));
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    // A plain detach fails, a forced one works.
    hdiutil.betik("if [ \"$1\" = info ]; then cat '" + TestOrtami::kok() +
                  "/info.plist'; exit 0; fi\n"
                  "if [ \"$3\" = -force ]; then exit 0; fi\necho busy; exit 16");
    Disk::artiklariAyir(kImaj);
    auto c = hdiutil.cagrilar();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[1].args, (Args{"detach", "-quiet", "fuse:0:77"}));
    EXPECT_EQ(c[2].args, (Args{"detach", "-quiet", "-force", "fuse:0:77"}));
    EXPECT_NE(TestOrtami::gunluk().find("stale attachment detached: fuse:0:77"), std::string::npos);

    // Unreadable listing: nothing happens.
    SahteArac bozuk(TestOrtami::araclar(), "hdiutil");
    bozuk.cevap("not a plist");
    Disk::artiklariAyir(kImaj);
    EXPECT_EQ(bozuk.cagrilar().size(), 1u);
}

TEST_F(Imaj, CompactionMeasuresTheGainAndNeverReportsALoss) {
    SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
    hdiutil.girdiKaydet();
    // Answers `once` KiB on its first call and `sonra` KiB afterwards.
    auto sahteDu = [](const std::string& once, const std::string& sonra) {
        std::string isaret = TestOrtami::kok() + "/du1";
        std::filesystem::remove(isaret);
        SahteArac du(TestOrtami::araclar(), "du");
        du.betik("if [ -e '" + isaret + "' ]; then printf '" + sonra + "\\t%s\\n' \"$2\"; exit 0; fi\n"
                 "touch '" + isaret + "'; printf '" + once + "\\t%s\\n' \"$2\"; exit 0");
        return du;
    };
    // The image grows during compaction: a gain of 0, not a loss.
    SahteArac du = sahteDu("100", "300");
    auto s = Disk::sikistirOlc(kImaj, Ayarlar{});
    EXPECT_TRUE(s.tamam);
    EXPECT_EQ(s.kazanc, 0);
    ASSERT_EQ(hdiutil.cagrilar().size(), 1u);
    EXPECT_EQ(hdiutil.cagrilar()[0].girdi, "gizli \"parola\"");
    EXPECT_NE(TestOrtami::gunluk().find("Image compacted: Zero KB freed on the disk"), std::string::npos);

    // Shrinking from 2048 KiB to 1024 KiB frees 1 MiB; a failed run still reports it.
    SahteArac du2 = sahteDu("2048", "1024");
    hdiutil.cevap("line one\nline two\n", 1);
    s = Disk::sikistirOlc(kImaj, Ayarlar{});
    EXPECT_FALSE(s.tamam);
    EXPECT_EQ(s.kazanc, 1048576);
    EXPECT_NE(TestOrtami::gunluk().find("WARNING: compact failed: line one line two "), std::string::npos);

    unsetenv("BRIMVALE_PAROLA");
    SahteArac security(TestOrtami::araclar(), "security");
    security.cevap("", 44);
    s = Disk::sikistirOlc(kImaj, Ayarlar{});
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

TEST_F(Imaj, PasswordIsSavedThroughInteractiveModeOnly) {
    unsetenv("BRIMVALE_PAROLA");
    SahteArac security(TestOrtami::araclar(), "security");
    security.girdiKaydet().cevap("a\\\"b\n");
    Ayarlar ayarlar;
    ayarlar.anahtar = "ser\"vis";
    EXPECT_TRUE(Kurulum::parolaKaydet("a\\\"b", ayarlar));
    auto c = security.cagrilar();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].args, (Args{"-i"}));
    EXPECT_EQ(c[0].girdi, "add-generic-password -U -s \"ser\\\"vis\" -a \"" + Platform::kullaniciAdi() +
                              "\" -l \"Ondrak Brimvale\" -w \"a\\\\\\\"b\"\n");
    // The keychain answers with another password: not confirmed.
    security.cevap("other\n");
    EXPECT_FALSE(Kurulum::parolaKaydet("a\\\"b", ayarlar));
    security.cevap("", 1);
    EXPECT_FALSE(Kurulum::parolaKaydet("a\\\"b", ayarlar));
}
