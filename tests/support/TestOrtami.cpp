#include "tests/support/TestOrtami.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace TestOrtami {
namespace {
std::string kokYolu;
}

std::string kok() { return kokYolu; }
std::string araclar() { return kokYolu + "/araclar"; }
std::string ev() { return kokYolu + "/ev"; }

void dosyaYaz(const std::string& yol, const std::string& icerik) {
    fs::create_directories(fs::path(yol).parent_path());
    std::ofstream(yol, std::ios::binary) << icerik;
}

std::string calistirilabilir() { return BRIMVALE_CALISTIRILABILIR; }

}  // namespace TestOrtami

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char sablon[] = "/tmp/brimvale-test-XXXXXX";
    TestOrtami::kokYolu = mkdtemp(sablon);
    fs::create_directories(TestOrtami::araclar());
    fs::create_directories(TestOrtami::ev());
    setenv("BRIMVALE_DURUM", (TestOrtami::kokYolu + "/durum").c_str(), 1);
    setenv("BRIMVALE_ARACLAR", TestOrtami::araclar().c_str(), 1);
    setenv("HOME", TestOrtami::ev().c_str(), 1);
    setenv("XDG_DATA_HOME", (TestOrtami::ev() + "/.local/share").c_str(), 1);
    setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    unsetenv("BRIMVALE_COP");
    unsetenv("BRIMVALE_PAROLA");
    int sonuc = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(TestOrtami::kokYolu, ec);
    return sonuc;
}
