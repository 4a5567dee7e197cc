// The restore side's reads over a store laid out in a folder (point it at a
// mounted image for the real figure): versions of one file across 1,000
// copies against one plain lstat per copy, a search over 200,000 entries that
// matches everything, and listing a folder of 10,000 entries in order.
// Usage: bench_geri_yukle [folder]   (default: ./bench-geri; used as the state folder)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Yol.hpp"
#include "restore/Dugum.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace {

double saniye(std::chrono::steady_clock::time_point bas) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string klasor = fs::absolute(argc > 1 ? argv[1] : "bench-geri").string();
    setenv("BRIMVALE_DURUM", klasor.c_str(), 1);
    std::string yedekler = Yol::yedekler();
    auto an = std::chrono::system_clock::from_time_t(1767225600);  // 2026-01-01
    std::vector<std::string> adlar;
    for (int i = 0; i < 1000; ++i) adlar.push_back(Kopyalar::yeniAd(an + std::chrono::hours(i)));
    if (!fs::exists(yedekler + "/" + adlar.back())) {
        std::string ilk = yedekler + "/" + adlar[0] + "/Belgeler/alt/a.txt";
        fs::create_directories(fs::path(ilk).parent_path());
        std::ofstream(ilk) << "a\n";
        for (size_t i = 1; i < adlar.size(); ++i) {
            std::string y = yedekler + "/" + adlar[i] + "/Belgeler/alt/a.txt";
            fs::create_directories(fs::path(y).parent_path());
            fs::create_hard_link(ilk, y);
        }
        std::string buyuk = yedekler + "/" + adlar[0] + "/Belgeler/buyuk";
        for (int k = 0; k < 200; ++k) {
            std::string alt = buyuk + "/k" + std::to_string(k);
            fs::create_directories(alt);
            for (int d = 0; d < 1000; ++d) std::ofstream(alt + "/dosya " + std::to_string(d) + ".txt");
        }
        std::string liste = yedekler + "/" + adlar[0] + "/Belgeler/liste";
        fs::create_directories(liste);
        for (int d = 0; d < 10000; ++d) std::ofstream(liste + "/Belge " + std::to_string(d) + ".pdf");
    }

    auto bas = std::chrono::steady_clock::now();
    auto surumler = GeriYukle::surumler("Belgeler/alt/a.txt");
    double s = saniye(bas);
    bas = std::chrono::steady_clock::now();
    for (const auto& ad : adlar) {
        struct stat st{};
        ::lstat((yedekler + "/" + ad + "/Belgeler/alt/a.txt").c_str(), &st);
    }
    double stat = saniye(bas);
    std::printf("surumler: %zu copies, %zu version(s), %.4f s; plain lstat per copy %.4f s; ratio %.1f\n", adlar.size(),
                surumler.size(), s, stat, s / stat);
    std::printf("  against the 50 ms budget: %.3f (target < 1)\n", s / 0.05);

    bas = std::chrono::steady_clock::now();
    auto bulunan = Arama::ara(adlar[0], "", nullptr);
    s = saniye(bas);
    std::printf("ara: %zu results over 200,000 entries, %.4f s; against the 0.5 s budget: %.3f\n", bulunan.size(), s,
                s / 0.5);

    bas = std::chrono::steady_clock::now();
    auto dugumler = Dugum::oku(adlar[0], "Belgeler/liste");
    s = saniye(bas);
    std::printf("oku: %zu entries in order, %.4f s; against the 50 ms budget: %.3f\n", dugumler.size(), s, s / 0.05);
    return 0;
}
