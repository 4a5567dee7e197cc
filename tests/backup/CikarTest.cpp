// The end of a run and the manual eject. The manual eject goes by the image
// at the mount point, not only by the settings: it never says the disk may be
// unplugged while the image is attached.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "backup/Calisma.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

// The image tool lists `info`; its detach fails with `detach` or unmounts the
// stand-in. The disk tool finds the disk, and its eject exits with `eject`.
struct Araclar {
    SahteArac hdiutil{TestOrtami::araclar(), "hdiutil"}, diskutil{TestOrtami::araclar(), "diskutil"};
    Araclar(const std::string& info, int detach, int eject) {
        TestOrtami::dosyaYaz(TestOrtami::kok() + "/info.plist", info);
        hdiutil.betik("case \"$1\" in info) cat '" + TestOrtami::kok() + "/info.plist';;\n detach) [ " +
                      std::to_string(detach) + " = 0 ] || exit " + std::to_string(detach) + "; umount -l \"$3\";; esac");
        diskutil.betik("case \"$1\" in info) printf '%s' '" +
                       Plist::xml({{"ParentWholeDisk", "sdz"}, {"MountPoint", "/media/YEDEK"}}) + "';;\n eject) exit " +
                       std::to_string(eject) + ";; esac");
    }
    bool cagrildi(const SahteArac& arac, const std::string& ad) const {
        for (const auto& c : arac.cagrilar())
            if (!c.args.empty() && c.args[0] == ad) return true;
        return false;
    }
};

struct Cikar : testing::Test {
    Saat::SahteSaat saat;
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
        Saat::kaynakKur(&saat);
    }
    void TearDown() override { Saat::kaynakKur(nullptr); }
};

}  // namespace

// Whatever goes wrong in the wrap-up is in its exit status and notification;
// a failed detach leaves the image alone: no compaction, no recovery files, no eject.
TEST_F(Cikar, EveryOutcomeOfTheWrapUpIsInItsResult) {
    const std::string birim = TestOrtami::kok() + "/disk-yok", kitYok = "The recovery files on the disk could not be written";
    setenv("BRIMVALE_PAROLA", "p", 1);
    unsetenv("BRIMVALE_BILDIRIM_YOK");
    struct Durum {
        std::string ad;
        bool otomatik;
        int detach, eject;
        bool kit;
        int kod;
        std::string bildirim;
        bool sikistirildi, cikarmaDenendi, kitDenendi;
        bool klasorImaj = false;
    };
    for (const auto& d : std::vector<Durum>{
             {"ejected", true, 0, 0, false, 0, "Disk ejected; you can unplug it now.", true, true, false},
             {"left to the user", false, 0, 0, false, 0, "Eject the disk before unplugging it.", true, false, false},
             {"eject fails", true, 0, 1, false, 1, "The disk could NOT be ejected: do not unplug it. Try Eject in the file manager.",
              true, true, false},
             {"detach fails", true, 16, 0, true, 1, "The disk could NOT be ejected: do not unplug it. Try Eject in the file manager.",
              false, false, false},
             {"recovery files fail", true, 0, 0, true, 0, "Disk ejected; you can unplug it now.", true, true, true},
             // A cipher folder gives deleted files' space back at once.
             {"folder image", true, 0, 0, false, 0, "Disk ejected; you can unplug it now.", false, true, false, true},
         }) {
        SahteBaglama baglama(false);
        ASSERT_TRUE(baglama.tamam);
        Araclar araclar("?", d.detach, d.eject);
        SahteArac osascript(TestOrtami::araclar(), "osascript");
        fs::remove_all(birim);
        if (d.klasorImaj) TestOrtami::dosyaYaz(birim + "/imaj/gocryptfs.conf", "{}");
        YedekSonucu::durdu().yaz();  // an earlier run's result, replaced
        fs::remove(Yol::gunluk());
        Ayarlar ayarlar;
        ayarlar.otomatikCikar = d.otomatik;
        std::optional<Yedekleme::KurtulusBilgisi> kit;
        if (d.kit) kit = Yedekleme::KurtulusBilgisi{"2026-01-01_000000", std::nullopt};
        EXPECT_EQ(Yedekleme::cikar(ayarlar, birim, birim + "/imaj", true, "Backup complete.", kit), d.kod) << d.ad;
        auto bildirimler = osascript.cagrilar();
        ASSERT_EQ(bildirimler.size(), 1u) << d.ad;
        EXPECT_EQ(bildirimler[0].args.back(), "Backup complete. " + d.bildirim) << d.ad;
        EXPECT_EQ(araclar.cagrildi(araclar.hdiutil, "compact"), d.sikistirildi) << d.ad;
        EXPECT_EQ(araclar.cagrildi(araclar.diskutil, "eject"), d.cikarmaDenendi) << d.ad;
        auto sonuc = YedekSonucu::oku().value_or(YedekSonucu{});
        EXPECT_EQ(sonuc.aciklama.find(kitYok) != std::string::npos, d.kitDenendi) << d.ad << ": " << sonuc.aciklama;
        EXPECT_EQ(sonuc.teknik.find("WARNING: recovery files not written") != std::string::npos, d.kitDenendi) << d.ad;
        EXPECT_EQ(TestOrtami::gunluk().find("disk could not be ejected") != std::string::npos, d.kod != 0) << d.ad;
    }
}

TEST_F(Cikar, ByHandNeverSaysUnplugWhileTheImageIsAttached) {
    fs::create_directories(Yol::mnt());
    std::string mnt = fs::canonical(Yol::mnt()).string();
    std::string listede = Plist::xml(
        {{"images",
          {{{"image-path", "/media/YEDEK/Brimvale.sparsebundle"},
            {"system-entities", {{{"dev-entry", "fuse:0:91"}, {"mount-point", mnt}}}}}}}});
    const std::string bagliDegil =
        "The backup disk is not connected; if the cable is plugged in, you can unplug it safely.";
    struct Durum { std::string ad; bool bagli; std::string info; int detach; int kod; std::string mesaj; bool cikar; };
    for (const auto& d : std::vector<Durum>{
             {"nothing attached", false, listede, 0, 0, bagliDegil, false},
             {"attached: its disk is ejected", true, listede, 0, 0, "Disk ejected; you can unplug it now.", true},
             {"attached, its disk unknown", true, "?", 0, 1,
              "The backup was closed, but its disk was not found to eject it. Eject it before unplugging it.", false},
             {"attached and busy", true, listede, 16, 1,
              "The backup could not be closed (an open file manager window or file?). Do not unplug the disk.", false},
         }) {
        // A trailing comma: the settings no longer name the disk.
        TestOrtami::dosyaYaz(Yol::ayarlar(), "{\"diskUUID\": \"1234-ABCD\",}");
        std::optional<SahteBaglama> baglama;
        if (d.bagli) {
            baglama.emplace(false);
            ASSERT_TRUE(baglama->tamam);
        }
        Araclar araclar(d.info, d.detach, 0);
        auto [kod, mesaj] = Yedekleme::elleCikar();
        EXPECT_EQ(kod, d.kod) << d.ad;
        EXPECT_EQ(mesaj, d.mesaj) << d.ad;
        EXPECT_EQ(araclar.cagrildi(araclar.diskutil, "eject"), d.cikar) << d.ad;
    }
}
