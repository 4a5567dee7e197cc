// Copying one large file with the store's copy (read, hash, write, flush)
// against the system's cp on the same file system, page cache warm.
// Usage: bench_kopyala [folder] [GiB]   (default: ./bench-kopyala, 2)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/Komut.hpp"
#include "store/BuyukDosyalar.hpp"

namespace fs = std::filesystem;

namespace {

double saniye(std::chrono::steady_clock::time_point bas) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
}

void esitle(const std::string& yol) {
    int fd = ::open(yol.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    std::string klasor = argc > 1 ? argv[1] : "bench-kopyala";
    double gib = argc > 2 ? std::stod(argv[2]) : 2;
    fs::create_directories(klasor);
    std::string kaynak = klasor + "/kaynak", hedef = klasor + "/hedef";
    auto boy = static_cast<size_t>(gib * 1073741824.0);

    {
        std::vector<char> blok(Sha256::kParca);
        std::mt19937_64 u(42);
        FILE* f = std::fopen(kaynak.c_str(), "wb");
        for (size_t yazilan = 0; yazilan < boy; yazilan += blok.size()) {
            for (auto& c : blok) c = static_cast<char>(u());
            std::fwrite(blok.data(), 1, std::min(blok.size(), boy - yazilan), f);
        }
        std::fclose(f);
        esitle(kaynak);
    }
    // Warm the page cache with the source.
    Sha256::digest(kaynak);

    auto bas = std::chrono::steady_clock::now();
    komut("/bin/cp", {kaynak, hedef});
    double cp = saniye(bas);
    esitle(hedef);
    double cpSync = saniye(bas);
    fs::remove(hedef);
    ::sync();

    struct stat st{};
    ::stat(kaynak.c_str(), &st);
    bas = std::chrono::steady_clock::now();
    BuyukDosyalar::kopyala(kaynak, hedef, st, [] { return false; });
    double bizim = saniye(bas);
    fs::remove(hedef);
    fs::remove(kaynak);

    double mb = static_cast<double>(boy) / 1e6;
    std::printf("file: %.2f GiB in %s\n", gib, klasor.c_str());
    std::printf("cp:              %6.2f s  %7.0f MB/s\n", cp, mb / cp);
    std::printf("cp + fsync:      %6.2f s  %7.0f MB/s\n", cpSync, mb / cpSync);
    std::printf("kopyala (sha256, fsync): %6.2f s  %7.0f MB/s\n", bizim, mb / bizim);
    std::printf("ratio kopyala/cp throughput:         %.2f (target >= 0.80)\n", cp / bizim);
    std::printf("ratio kopyala/(cp + fsync) throughput: %.2f\n", cpSync / bizim);
    return 0;
}
