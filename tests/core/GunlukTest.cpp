#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Gunluk, TechnicalMarkersAreCaseSensitiveSubstrings) {
    std::vector<std::pair<std::string, bool>> durumlar = {
        {"rsync exited 23", true},        {"Rsync exited", false},     {"image re-attached", true},
        {"ERROR: x", true},               {"error: x", false},         {"NOTE: y", true},
        {"NOTE y", false},                {"stale attachment detached: /dev/x", true},
        {"HATA (3)", true},               {"UYARI: imaj ayrılamadı: x", true},
        {"no image: /v/B", true},         {"Backup complete", false},  {"", false},
    };
    for (const auto& [metin, teknik] : durumlar) EXPECT_EQ(Gunluk::teknik(metin), teknik) << metin;
}

TEST(Gunluk, LinesCarryTheClockSeamsLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    Saat::SahteSaat saat(std::chrono::system_clock::from_time_t(1700000000));  // 2023-11-14 22:13:20 UTC
    Saat::kaynakKur(&saat);
    Gunluk::yaz("ilk satır");
    EXPECT_EQ(oku(Yol::gunluk()), "2023-11-14 22:13:20 ilk satır\n");
    saat.bekle(61);
    Gunluk::yaz("");
    EXPECT_EQ(oku(Yol::gunluk()), "2023-11-14 22:13:20 ilk satır\n2023-11-14 22:14:21 \n");
    Saat::kaynakKur(nullptr);
}

// Tool output logged as one message: no line of it is left without a time.
TEST(Gunluk, EveryLineOfAMultiLineMessageIsStamped) {
    setenv("TZ", "UTC", 1);
    tzset();
    Saat::SahteSaat saat(std::chrono::system_clock::from_time_t(1700000000));
    Saat::kaynakKur(&saat);
    const std::string d = "2023-11-14 22:13:20 ";
    std::vector<std::pair<std::string, std::string>> durumlar = {
        {"ERROR: dry run: rsync: link_stat \"/a\" failed\nrsync error: some files (code 23)",
         d + "ERROR: dry run: rsync: link_stat \"/a\" failed\n" + d + "  rsync error: some files (code 23)\n"},
        {"sonunda satır sonu\n", d + "sonunda satır sonu\n"},
        {"a\r\nb\r\n", d + "a\n" + d + "  b\n"},
        {"a\n\n   \nb", d + "a\n" + d + "  b\n"},
        {"\nikinci", d + "\n" + d + "  ikinci\n"},
    };
    for (const auto& [mesaj, beklenen] : durumlar) {
        std::filesystem::remove(Yol::gunluk());
        Gunluk::yaz(mesaj);
        EXPECT_EQ(oku(Yol::gunluk()), beklenen) << mesaj;
    }
    Saat::kaynakKur(nullptr);
}

TEST(Gunluk, UnwritableStateDirectoryLosesTheLineSilently) {
    std::string durum = getenv("BRIMVALE_DURUM");
    setenv("BRIMVALE_DURUM", "/proc/brimvale-yok", 1);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(Gunluk::yaz("kaybolur"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Logging goes on once the folder can be written again.
    setenv("BRIMVALE_DURUM", durum.c_str(), 1);
    Gunluk::yaz("sonra");
    EXPECT_NE(TestOrtami::gunluk().find("sonra"), std::string::npos);
    EXPECT_EQ(TestOrtami::gunluk().find("kaybolur"), std::string::npos);
}
