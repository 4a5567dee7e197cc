// Connection state, eject and connection identity against fake disk tools.
#include <gtest/gtest.h>
#include <utime.h>

#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "disk/Disk.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Baglanti, SpeedTextAndTheSlowConnectionWarning) {
    setenv("LANG", "C", 1);
    struct Durum { double hiz; std::string metin; bool yavas; };
    for (const auto& d : std::vector<Durum>{{5e9, "5 Gb/s", false}, {1e9, "1 Gb/s", false}, {480e6, "480 Mb/s", true},
                                           {480e6 + 1, "480 Mb/s", false}, {12e6, "12 Mb/s", true}}) {
        SCOPED_TRACE(d.hiz);
        EXPECT_EQ(Disk::hizMetni(d.hiz), d.metin);
        std::string uyari = "Slow connection (" + d.metin + "): USB 2 cable or port; backups take much longer.";
        EXPECT_EQ(Disk::yavasUyarisi(d.hiz), d.yavas ? std::optional(uyari) : std::nullopt);
    }
    EXPECT_EQ(Disk::yavasUyarisi(std::nullopt), std::nullopt);
}

TEST(Baglanti, AnUnmountedVolumeIsFoundInTheDiskListInAnyCase) {
    nlohmann::json liste = {{"AllDisksAndPartitions",
                             {{{"DeviceIdentifier", "loop6"}, {"Partitions", {{{"DeviceIdentifier", "loop6p1"}}}}},
                              {{"DeviceIdentifier", "loop7"},
                               {"Partitions",
                                {{{"DeviceIdentifier", "loop7p1"},
                                  {"VolumeUUID", "0A1B2C3D-0000-4000-8000-00000000ABCD"}}}}}}}};
    SahteArac diskutil(TestOrtami::araclar(), "diskutil");
    diskutil.cevap(Plist::xml(liste));
    Ayarlar a;
    a.diskUUID = "0a1b2c3d-0000-4000-8000-00000000abcd";
    EXPECT_EQ(Disk::baglanti(a).durum, (Disk::DiskBaglantisi{Disk::DiskBaglantisi::cikarilmis, "loop7"}));
    a.diskUUID = "FFFFFFFF-0000-4000-8000-000000000000";
    EXPECT_EQ(Disk::baglanti(a).durum.tur, Disk::DiskBaglantisi::yok);
    diskutil.cevap("garbage", 0);
    EXPECT_EQ(Disk::baglanti(a).durum.tur, Disk::DiskBaglantisi::yok);
}

// Eject asks which whole disk holds the volume, then ejects it; a volume
// without one is not ejected at all.
TEST(Baglanti, EjectTriesThreeTimesFiveSecondsApart) {
    Saat::SahteSaat saat;
    Saat::kaynakKur(&saat);
    std::string bilgi = TestOrtami::kok() + "/bilgi.plist", diskSiz = TestOrtami::kok() + "/disksiz.plist";
    TestOrtami::dosyaYaz(bilgi, Plist::xml({{"ParentWholeDisk", "loop9"}}));
    TestOrtami::dosyaYaz(diskSiz, Plist::xml({{"VolumeName", "X"}}));
    struct Durum { std::string info; int hatalar; bool sonuc; size_t cagrilar; int beklemeler; };
    for (const auto& d : std::vector<Durum>{{bilgi, 0, true, 2, 0}, {bilgi, 2, true, 4, 2}, {bilgi, 3, false, 4, 2},
                                           {diskSiz, 0, false, 1, 0}}) {
        SCOPED_TRACE(d.hatalar);
        saat.beklemeSayisi = 0;
        SahteArac diskutil(TestOrtami::araclar(), "diskutil");
        diskutil.betik("if [ \"$1\" = info ]; then cat '" + d.info + "'; exit 0; fi\n"
                       "n=$(ls \"$k/cagri\" | wc -l); if [ $n -le " + std::to_string(d.hatalar + 1) +
                       " ]; then echo busy; exit 1; fi");
        EXPECT_EQ(Disk::cikar("/media/X"), d.sonuc);
        EXPECT_EQ(diskutil.cagrilar().size(), d.cagrilar);
        EXPECT_EQ(saat.beklemeSayisi, d.beklemeler);
    }
    Saat::kaynakKur(nullptr);
}

TEST(Baglanti, ConnectionIdentityIsUuidAndDeviceFileTime) {
    std::string dugum = TestOrtami::kok() + "/sda1";
    TestOrtami::dosyaYaz(dugum, "");
    struct utimbuf t{1700000000, 1700000123};
    ASSERT_EQ(utime(dugum.c_str(), &t), 0);
    SahteArac diskutil(TestOrtami::araclar(), "diskutil");
    struct Durum { nlohmann::json bilgi; std::optional<std::string> takilis; };
    for (const auto& d : std::vector<Durum>{{{{"DeviceNode", dugum}, {"VolumeUUID", "ABC"}}, "ABC 1700000123"},
                                           {{{"DeviceNode", dugum}}, " 1700000123"},
                                           {{{"DeviceNode", TestOrtami::kok() + "/yok"}, {"VolumeUUID", "ABC"}}, {}},
                                           {{{"VolumeUUID", "ABC"}}, {}}}) {
        diskutil.cevap(Plist::xml(d.bilgi));
        EXPECT_EQ(Disk::takilis("/media/X"), d.takilis) << d.bilgi;
    }
    diskutil.cevap("", 1);
    EXPECT_EQ(Disk::bilgi("/media/X"), nlohmann::json::object());
}
