#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Platform.hpp"
#include "temel/Metin.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(Baglamalar, MountInfoLinesWithEscapesAndOptionalFields) {
    std::string metin =
        "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "44 26 0:39 / /tmp/a\\040b rw,nosuid shared:5 master:1 - fuse.gocryptfs /media/D\\040K/B.sparsebundle rw\n"
        "50 26 8:17 /sub /bind rw - ext4 /dev/sdb1 rw\n"
        "bozuk satir\n";
    auto b = Platform::baglamalarOku(metin);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].yol, "/");
    EXPECT_EQ(b[0].kaynak, "/dev/vda");
    EXPECT_EQ(b[1].yol, "/tmp/a b");
    EXPECT_EQ(b[1].tur, "fuse.gocryptfs");
    EXPECT_EQ(b[1].kaynak, "/media/D K/B.sparsebundle");
    EXPECT_EQ(b[1].aygitNo, "0:39");
    EXPECT_EQ(b[2].kok, "/sub");
}

// Checked against what the system's own tool says, and a read-only mount of our own.
TEST(Baglamalar, StatisticsOfAFolderNameItsMount) {
    auto findmnt = [](const std::string& yol, const char* alan) {
        return Metin::kirp(komut("/usr/bin/findmnt", {"-n", "-o", alan, "-T", yol}).cikti);
    };
    std::string alt = TestOrtami::kok() + "/a/b";
    fs::create_directories(alt);
    for (const auto& yol : std::vector<std::string>{alt, "/proc", "/"}) {
        auto d = Platform::baglamaDurumu(yol);
        ASSERT_TRUE(d) << yol;
        EXPECT_EQ(d->bagliYer, findmnt(yol, "TARGET")) << yol;
        EXPECT_EQ(d->saltOkunur, findmnt(yol, "OPTIONS").starts_with("ro")) << yol;
    }
    EXPECT_EQ(Platform::baglamaDurumu(TestOrtami::kok() + "/yok"), std::nullopt);
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount";
    SahteBaglama b(true);
    ASSERT_TRUE(b.tamam);
    auto d = Platform::baglamaDurumu(Yol::mnt());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->bagliYer, Yol::mnt());
    EXPECT_TRUE(d->saltOkunur);
}

TEST(Aygitlar, UsbSerialAndSpeedFromTheDeviceAboveTheDisk) {
    // A sysfs tree as the kernel lays it out for a USB disk.
    fs::path sys = TestOrtami::kok() + "/sys";
    fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb2/2-1";
    fs::path disk = usb / "2-1:1.0/host3/target3:0:0/3:0:0:0/block/sdb";
    fs::create_directories(disk / "sdb1");
    TestOrtami::dosyaYaz((usb / "speed").string(), "5000\n");
    TestOrtami::dosyaYaz((usb / "serial").string(), "SER123\n");
    TestOrtami::dosyaYaz((usb / "idVendor").string(), "0781\n");
    // The hub above has a speed too; the first device on the way up wins.
    TestOrtami::dosyaYaz((usb.parent_path() / "speed").string(), "10000\n");
    TestOrtami::dosyaYaz((usb.parent_path() / "idVendor").string(), "1d6b\n");
    fs::create_directories(sys / "class/block");
    fs::create_directories(sys / "bus/usb/devices");
    fs::create_directory_symlink(disk, sys / "class/block/sdb");
    fs::create_directory_symlink(disk / "sdb1", sys / "class/block/sdb1");
    fs::create_directory_symlink(usb, sys / "bus/usb/devices/2-1");
    fs::create_directory_symlink(usb.parent_path(), sys / "bus/usb/devices/usb2");
    fs::create_directories(sys / "devices/virtual/block/loop0");
    fs::create_directory_symlink(sys / "devices/virtual/block/loop0", sys / "class/block/loop0");

    for (const char* ad : {"sdb", "sdb1"}) {
        auto u = Platform::usbUstu(ad, sys.string());
        ASSERT_TRUE(u) << ad;
        EXPECT_EQ(u->seri, "SER123");
        EXPECT_EQ(u->hiz, 5e9);
    }
    EXPECT_EQ(Platform::usbUstu("loop0", sys.string()), std::nullopt);
    EXPECT_EQ(Platform::usbUstu("sdz", sys.string()), std::nullopt);
    auto s = Platform::usbSeri("SER123", sys.string());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->hiz, 5e9);
    EXPECT_EQ(Platform::usbSeri("OTHER", sys.string()), std::nullopt);
}
