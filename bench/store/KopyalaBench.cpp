// Copying one large file with the store's copy (read, hash, write, flush)
// against the system's cp followed by fsync, on the same source file in the
// same cache state (the source read once just before each run, the previous
// destination removed and synced away), interleaved over several rounds.
// Usage: bench_kopyala [folder] [GiB] [rounds]   (default: ./bench-kopyala, 2, 5)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/Komut.hpp"
#include "core/Sha256.hpp"
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

struct Ozet {
    double orta, en_az, en_cok;
};
Ozet ozetle(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

}  // namespace

int main(int argc, char** argv) {
    std::string klasor = argc > 1 ? argv[1] : "bench-kopyala";
    double gib = argc > 2 ? std::stod(argv[2]) : 2;
    int turlar = argc > 3 ? std::stoi(argv[3]) : 5;
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
    struct stat st{};
    ::stat(kaynak.c_str(), &st);
    std::string beklenen = komut("/usr/bin/sha256sum", {kaynak}).cikti.substr(0, 64);

    // The same state before every run: the source warm, no destination,
    // nothing dirty waiting to be written.
    auto hazirla = [&] {
        fs::remove(hedef);
        ::sync();
        Sha256::digest(kaynak);
    };
    std::vector<double> cp, bizim;
    bool ayni = true;
    for (int t = 0; t < turlar; ++t) {
        hazirla();
        auto bas = std::chrono::steady_clock::now();
        komut("/bin/cp", {kaynak, hedef});
        esitle(hedef);
        cp.push_back(saniye(bas));
        hazirla();
        bas = std::chrono::steady_clock::now();
        auto sha = BuyukDosyalar::kopyala(kaynak, hedef, st, [] { return false; });
        bizim.push_back(saniye(bas));
        ayni = ayni && sha == beklenen;
    }
    fs::remove(hedef);
    fs::remove(kaynak);

    double mb = static_cast<double>(boy) / 1e6;
    auto c = ozetle(cp), b = ozetle(bizim);
    std::printf("file: %.2f GiB in %s, %d interleaved rounds, source warm before each run\n", gib, klasor.c_str(),
                turlar);
    std::printf("cp + fsync:              median %6.2f s (%.2f..%.2f)  %6.0f MB/s\n", c.orta, c.en_az, c.en_cok,
                mb / c.orta);
    std::printf("kopyala (sha256, fsync): median %6.2f s (%.2f..%.2f)  %6.0f MB/s\n", b.orta, b.en_az, b.en_cok,
                mb / b.orta);
    std::printf("throughput kopyala / (cp + fsync): %.2f (target >= 0.90)\n", c.orta / b.orta);
    std::printf("digest equals sha256sum's: %s\n", ayni ? "yes" : "NO");
    return ayni ? 0 : 1;
}
