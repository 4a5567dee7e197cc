#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"

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

// Each line carries the clock seam's local time; tool output logged as one
// message leaves no line of it without a time; a line that cannot be written
// is lost without a word.
TEST(Gunluk, EveryLineOfAMessageIsStampedWithTheClockSeamsLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    Saat::SahteSaat saat(std::chrono::system_clock::from_time_t(1700000000));
    Saat::kaynakKur(&saat);
    const std::string d = "2023-11-14 22:13:20 ";
    std::vector<std::pair<std::string, std::string>> durumlar = {
        {"ilk satır", d + "ilk satır\n"},
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
    saat.bekle(61);
    Gunluk::yaz("");
    // An unwritable state folder loses the line silently, and logging goes on after it.
    const std::string durum = Yol::durum();
    setenv("BRIMVALE_DURUM", "/proc/brimvale-yok", 1);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(Gunluk::yaz("kaybolur"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    setenv("BRIMVALE_DURUM", durum.c_str(), 1);
    Gunluk::yaz("sonra");
    EXPECT_EQ(oku(Yol::gunluk()), d + "\n" + d + "  ikinci\n2023-11-14 22:14:21 \n2023-11-14 22:14:21 sonra\n");
    Saat::kaynakKur(nullptr);
}
