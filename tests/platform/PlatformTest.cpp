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
    std::vector<std::vector<std::string>> okunan;
    for (const auto& b : Platform::baglamalarOku(metin)) okunan.push_back({b.aygitNo, b.kok, b.yol, b.tur, b.kaynak});
    EXPECT_EQ(okunan, (std::vector<std::vector<std::string>>{
                          {"254:0", "/", "/", "ext4", "/dev/vda"},
                          {"0:39", "/", "/tmp/a b", "fuse.gocryptfs", "/media/D K/B.sparsebundle"},
                          {"8:17", "/sub", "/bind", "ext4", "/dev/sdb1"}}));
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
    // A sysfs tree as the kernel lays it out for a USB disk; the hub above has
    // a speed too, and the first device on the way up wins.
    fs::path sys = TestOrtami::kok() + "/sys";
    fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb2/2-1";
    fs::path disk = usb / "2-1:1.0/host3/target3:0:0/3:0:0:0/block/sdb", loop = sys / "devices/virtual/block/loop0";
    fs::create_directories(disk / "sdb1");
    fs::create_directories(loop);
    for (const auto& [dosya, icerik] : std::vector<std::pair<fs::path, std::string>>{
             {usb / "speed", "5000\n"}, {usb / "serial", "SER123\n"}, {usb / "idVendor", "0781\n"},
             {usb.parent_path() / "speed", "10000\n"}, {usb.parent_path() / "idVendor", "1d6b\n"}})
        TestOrtami::dosyaYaz(dosya.string(), icerik);
    for (const auto& [hedef, bag] : std::vector<std::pair<fs::path, std::string>>{
             {disk, "class/block/sdb"}, {disk / "sdb1", "class/block/sdb1"}, {loop, "class/block/loop0"},
             {usb, "bus/usb/devices/2-1"}, {usb.parent_path(), "bus/usb/devices/usb2"}}) {
        fs::create_directories((sys / bag).parent_path());
        fs::create_directory_symlink(hedef, sys / bag);
    }
    using Bulunan = std::optional<std::pair<std::optional<std::string>, std::optional<double>>>;
    auto bul = [](const std::optional<Platform::Usb>& u) { return u ? Bulunan({u->seri, u->hiz}) : std::nullopt; };
    const Bulunan disktaki = std::pair(std::optional<std::string>("SER123"), std::optional(5e9));
    for (const auto& [ad, beklenen] : std::vector<std::pair<std::string, Bulunan>>{
             {"sdb", disktaki}, {"sdb1", disktaki}, {"loop0", std::nullopt}, {"sdz", std::nullopt}})
        EXPECT_EQ(bul(Platform::usbUstu(ad, sys.string())), beklenen) << ad;
    EXPECT_EQ(bul(Platform::usbSeri("SER123", sys.string())), disktaki);
    EXPECT_EQ(Platform::usbSeri("OTHER", sys.string()), std::nullopt);
}

// The system as a support report names it, from the os-release forms in use.
TEST(Sistem, NameAndVersionFromOsRelease) {
    struct Durum { const char* ad; std::string metin; std::optional<std::string> beklenen; };
    for (const auto& d : std::vector<Durum>{
             {"pretty name, quoted", "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"
                                     "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", "Debian GNU/Linux 12 (bookworm)"},
             {"name and version only", "# comment\nNAME=Fedora\nVERSION_ID=40\n", "Fedora 40"},
             {"a rolling release without a version", "NAME='Arch Linux'\n", "Arch Linux"},
             {"escapes inside double quotes", "PRETTY_NAME=\"Ada \\\"Beta\\\" 1\"\n", "Ada \"Beta\" 1"},
             {"empty pretty name", "PRETTY_NAME=\"\"\nNAME=Alpine\nVERSION_ID=3.20\n", "Alpine 3.20"},
             {"names no system", "ID=debian\n", std::nullopt},
         }) {
        EXPECT_EQ(Platform::osReleaseAdi(d.metin), d.beklenen) << d.ad;
    }
}
