// The manual eject goes by the image at the mount point, not only by the
// settings: it never says the disk may be unplugged while the image is attached.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Dosya.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(ElleCikar, NeverSaysUnplugWhileTheImageIsAttached) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in at the mount point";
    Saat::SahteSaat saat;
    Saat::kaynakKur(&saat);
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
              "The backup could not be closed (an open Finder window or file?). Do not unplug the disk.", false},
         }) {
        // A trailing comma: the settings no longer name the disk.
        TestOrtami::dosyaYaz(Yol::ayarlar(), "{\"diskUUID\": \"1234-ABCD\",}");
        std::optional<SahteBaglama> baglama;
        if (d.bagli) {
            baglama.emplace(false);
            ASSERT_TRUE(baglama->tamam);
        }
        TestOrtami::dosyaYaz(TestOrtami::kok() + "/info.plist", d.info);
        SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
        hdiutil.betik("case \"$1\" in info) cat '" + TestOrtami::kok() + "/info.plist'; exit 0;;\n"
                      "detach) [ " + std::to_string(d.detach) + " = 0 ] || exit " + std::to_string(d.detach) +
                      "; umount -l \"$3\"; exit 0;; esac; exit 0");
        SahteArac diskutil(TestOrtami::araclar(), "diskutil");
        diskutil.betik("case \"$1\" in info) printf '%s' '" +
                       Plist::xml({{"ParentWholeDisk", "sdz"}, {"MountPoint", "/media/YEDEK"}}) + "'; exit 0;; esac; exit 0");

        auto [kod, mesaj] = Yedekleme::elleCikar();
        EXPECT_EQ(kod, d.kod) << d.ad;
        EXPECT_EQ(mesaj, d.mesaj) << d.ad;
        std::vector<Args> disk;
        for (const auto& c : diskutil.cagrilar()) disk.push_back(c.args);
        std::vector<Args> beklenen;
        if (d.cikar) beklenen = {{"info", "-plist", "/media/YEDEK"}, {"eject", "sdz"}};
        EXPECT_EQ(disk, beklenen) << d.ad;
    }
    Saat::kaynakKur(nullptr);
}
