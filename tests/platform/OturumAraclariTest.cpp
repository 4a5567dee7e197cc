#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "platform/tools/Yardimci.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(DittoYerine, FolderTreeMergesKeepingMetadataAndAFileGoesToANewPath) {
    std::string k = TestOrtami::kok();
    TestOrtami::dosyaYaz(k + "/kaynak/a/bir.txt", "1");
    TestOrtami::dosyaYaz(k + "/kaynak/iki.sh", "#!/bin/sh\n");
    ::chmod((k + "/kaynak/iki.sh").c_str(), 0751);
    fs::create_symlink("a/bir.txt", k + "/kaynak/bag");
    bool xattrVar = ::setxattr((k + "/kaynak/a/bir.txt").c_str(), "user.brimvale", "x", 1, 0) == 0;
    struct timespec zamanlar[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (k + "/kaynak/a/bir.txt").c_str(), zamanlar, 0);
    TestOrtami::dosyaYaz(k + "/hedef/eski.txt", "kalir");

    ASSERT_EQ(Yardimci::ditto({k + "/kaynak", k + "/hedef"}), 0);
    EXPECT_EQ(oku(k + "/hedef/eski.txt"), "kalir");
    EXPECT_EQ(oku(k + "/hedef/a/bir.txt"), "1");
    EXPECT_EQ(TestOrtami::durum(k + "/hedef/a/bir.txt").st_mtime, 1000000000);
    EXPECT_EQ(fs::read_symlink(k + "/hedef/bag"), "a/bir.txt");
    EXPECT_EQ(fs::status(k + "/hedef/iki.sh").permissions() & fs::perms::all, static_cast<fs::perms>(0751));
    if (xattrVar) {
        char deger[4] = {};
        EXPECT_EQ(::getxattr((k + "/hedef/a/bir.txt").c_str(), "user.brimvale", deger, sizeof deger), 1);
    }

    TestOrtami::dosyaYaz(k + "/d.txt", "veri");
    EXPECT_EQ(Yardimci::ditto({k + "/d.txt", k + "/yeni/klasor/d.txt"}), 0);
    EXPECT_EQ(oku(k + "/yeni/klasor/d.txt"), "veri");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Yardimci::ditto({k + "/yok", k + "/h"}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("No such file or directory"), std::string::npos);
    EXPECT_EQ(Yardimci::ditto({k + "/d.txt"}), 1);
}

TEST(OsascriptYerine, NotificationWithoutDesktopGoesToTheLog) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(Yardimci::osascript({"-e", "on run a", "-e", "display notification (item 2 of a) with title (item 1 of a)", "-e",
                               "end run", "Ondrak Brimvale", "Disk \"x\" ejected"}),
              0);
    EXPECT_NE(TestOrtami::gunluk().find("NOTE: notification: Disk \"x\" ejected"), std::string::npos);
    EXPECT_EQ(Yardimci::osascript({"-e", "do shell script \"rm -rf /\""}), 1);
}
