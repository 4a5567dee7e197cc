// Connection state, eject and connection identity against fake disk tools.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

using Args = std::vector<std::string>;

namespace {
struct Baglanti : testing::Test {
    Saat::SahteSaat saat;
    void SetUp() override { Saat::kaynakKur(&saat); }
    void TearDown() override { Saat::kaynakKur(nullptr); }
};
}  // namespace

TEST_F(Baglanti, SpeedTextAndTheSlowConnectionWarning) {
    setenv("LANG", "C", 1);
    struct Durum { double hiz; std::string metin; bool yavas; };
    for (const auto& d : std::vector<Durum>{{5e9, "5 Gb/s", false}, {1e9, "1 Gb/s", false}, {480e6, "480 Mb/s", true},
                                           {480e6 + 1, "480 Mb/s", false}, {12e6, "12 Mb/s", true}}) {
        EXPECT_EQ(Disk::hizMetni(d.hiz), d.metin);
        auto uyari = Disk::yavasUyarisi(d.hiz);
        EXPECT_EQ(uyari.has_value(), d.yavas) << d.hiz;
        if (uyari) {
            EXPECT_EQ(*uyari, "Slow connection (" + d.metin + "): USB 2 cable or port; backups take much longer.");
        }
    }
    EXPECT_EQ(Disk::yavasUyarisi(std::nullopt), std::nullopt);
}

TEST_F(Baglanti, AnUnmountedVolumeIsFoundInTheDiskListInAnyCase) {
    nlohmann::json liste = {{"AllDisksAndPartitions",
                             {{{"DeviceIdentifier", "loop6"}, {"Partitions", {{{"DeviceIdentifier", "loop6p1"}}}}},
                              {{"DeviceIdentifier", "loop7"},
                               {"Partitions",
                                {{{"DeviceIdentifier", "loop7p1"}, {"VolumeUUID", "0A1B2C3D-0000-4000-8000-00000000ABCD"}}}}}}}};
    SahteArac diskutil(TestOrtami::araclar(), "diskutil");
    diskutil.cevap(Plist::xml(liste));
    Ayarlar a;
    a.diskUUID = "0a1b2c3d-0000-4000-8000-00000000abcd";
    auto r = Disk::baglanti(a);
    EXPECT_EQ(r.durum, (Disk::DiskBaglantisi{Disk::DiskBaglantisi::cikarilmis, "loop7"}));
    EXPECT_EQ(diskutil.cagrilar().back().args, (Args{"list", "-plist"}));

    a.diskUUID = "FFFFFFFF-0000-4000-8000-000000000000";
    EXPECT_EQ(Disk::baglanti(a).durum.tur, Disk::DiskBaglantisi::yok);
    diskutil.cevap("garbage", 0);
    EXPECT_EQ(Disk::baglanti(a).durum.tur, Disk::DiskBaglantisi::yok);
}

TEST_F(Baglanti, EjectTriesThreeTimesFiveSecondsApart) {
    struct Durum { int hatalar; bool sonuc; size_t ejectler; int beklemeler; };
    for (const auto& d : std::vector<Durum>{{0, true, 1, 0}, {2, true, 3, 2}, {3, false, 3, 2}}) {
        saat.beklemeSayisi = 0;
        SahteArac diskutil(TestOrtami::araclar(), "diskutil");
        std::string bilgi = TestOrtami::kok() + "/bilgi.plist";
        TestOrtami::dosyaYaz(bilgi, Plist::xml({{"ParentWholeDisk", "loop9"}}));
        diskutil.betik("if [ \"$1\" = info ]; then cat '" + bilgi + "'; exit 0; fi\n"
                       "n=$(ls \"$k/cagri\" | wc -l); if [ $n -le " + std::to_string(d.hatalar + 1) +
                       " ]; then echo busy; exit 1; fi");
        EXPECT_EQ(Disk::cikar("/media/X"), d.sonuc);
        auto c = diskutil.cagrilar();
        ASSERT_EQ(c.size(), d.ejectler + 1);
        EXPECT_EQ(c[0].args, (Args{"info", "-plist", "/media/X"}));
        EXPECT_EQ(c[1].args, (Args{"eject", "loop9"}));
        EXPECT_EQ(saat.beklemeSayisi, d.beklemeler);
    }
    SahteArac diskutil(TestOrtami::araclar(), "diskutil");
    diskutil.cevap(Plist::xml({{"VolumeName", "X"}}));
    EXPECT_FALSE(Disk::cikar("/media/X"));
    EXPECT_EQ(diskutil.cagrilar().size(), 1u);
}

TEST_F(Baglanti, ConnectionIdentityIsUuidAndDeviceFileTime) {
    std::string dugum = TestOrtami::kok() + "/sda1";
    TestOrtami::dosyaYaz(dugum, "");
    struct utimbuf t{1700000000, 1700000123};
    ASSERT_EQ(utime(dugum.c_str(), &t), 0);
    SahteArac diskutil(TestOrtami::araclar(), "diskutil");
    diskutil.cevap(Plist::xml({{"DeviceNode", dugum}, {"VolumeUUID", "ABC"}}));
    EXPECT_EQ(Disk::takilis("/media/X"), "ABC 1700000123");
    diskutil.cevap(Plist::xml({{"DeviceNode", dugum}}));
    EXPECT_EQ(Disk::takilis("/media/X"), " 1700000123");
    diskutil.cevap(Plist::xml({{"DeviceNode", TestOrtami::kok() + "/yok"}, {"VolumeUUID", "ABC"}}));
    EXPECT_EQ(Disk::takilis("/media/X"), std::nullopt);
    diskutil.cevap(Plist::xml({{"VolumeUUID", "ABC"}}));
    EXPECT_EQ(Disk::takilis("/media/X"), std::nullopt);
    diskutil.cevap("", 1);
    EXPECT_EQ(Disk::bilgi("/media/X"), nlohmann::json::object());
}
