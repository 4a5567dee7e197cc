// The change check of 50,000 files with 100 changed, against one plain dry
// run of the copy tool over the same tree with the same options. Prints the
// ratio; parsing and the summary should add less than 20%.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "backup/Degisiklik.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int klasorSayisi = 500, klasorBasina = 100, degisen = 100, tur = 5;

void dosya(const std::string& yol, size_t boy) {
    std::ofstream(yol, std::ios::binary) << std::string(boy, 'x');
    struct timespec t[2] = {{1700000000, 0}, {1700000000, 0}};
    ::utimensat(AT_FDCWD, yol.c_str(), t, 0);
}

double sure(const std::function<void()>& is) {
    auto bas = std::chrono::steady_clock::now();
    is();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
}

// The smallest of several alternating runs, after one warm-up each.
std::pair<double, double> olc(const std::function<void()>& duz, const std::function<void()>& bizim) {
    duz();
    bizim();
    double a = 1e9, b = 1e9;
    for (int i = 0; i < tur; ++i) {
        a = std::min(a, sure(duz));
        b = std::min(b, sure(bizim));
    }
    return {a, b};
}

}  // namespace

int main() {
    char sablon[] = "/tmp/brimvale-bench-XXXXXX";
    std::string kok = mkdtemp(sablon);
    setenv("BRIMVALE_DURUM", (kok + "/durum").c_str(), 1);
    fs::create_directories(kok + "/araclar");
    setenv("BRIMVALE_ARACLAR", (kok + "/araclar").c_str(), 1);

    std::string kaynak = kok + "/mac/Belgeler";
    for (int k = 0; k < klasorSayisi; ++k) {
        std::string klasor = kaynak + "/k" + std::to_string(k);
        fs::create_directories(klasor);
        for (int d = 0; d < klasorBasina; ++d) dosya(klasor + "/d" + std::to_string(d), 100 + d);
    }
    Ayarlar ayarlar;
    ayarlar.kaynaklar = {kaynak};

    // First backup: every file is new.
    std::string bos = kok + "/bos/";
    fs::create_directories(bos);
    std::string haric = kok + "/haric.txt";
    // The same exclusions as the check's own run.
    {
        std::ofstream h(haric);
        for (const auto& desen : ayarlar.haric) h << desen << "\n";
    }
    auto duz = [&](const std::string& hedef) {
        return [&, hedef] {
            komut("/usr/bin/rsync", {"-n", "-i", "--delete", "--exclude-from=" + haric, kaynak + "/", hedef, "-rlptgo"},
                  std::string(), kok + "/duz.txt", kok + "/duz.err");
            fs::remove(kok + "/duz.txt");
        };
    };
    auto bizim = [&] { Yedekleme::degisiklikBul(ayarlar, false); };
    // Parsing and the summary alone, over the listing the check just wrote.
    auto ayristir = [&](const std::optional<std::string>& son) {
        Yedekleme::degisiklikBul(ayarlar, false);
        double en = 1e9;
        for (int i = 0; i < tur; ++i) en = std::min(en, sure([&] { Yedekleme::ozetCikar(ayarlar, son); }));
        return en;
    };
    auto [ilkDuz, ilkBizim] = olc(duz(bos), bizim);
    double ilkAyristirma = ayristir(std::nullopt);

    // A previous copy, then 100 changed files.
    std::string onceki = Yol::yedekler() + "/2026-01-01_000000/Belgeler";
    fs::create_directories(onceki);
    komut("/usr/bin/rsync", {"-a", kaynak + "/", onceki + "/"}, std::string());
    for (int i = 0; i < degisen; ++i) dosya(kaynak + "/k" + std::to_string(i * 5) + "/d7", 1000);
    auto d = Yedekleme::degisiklikBul(ayarlar, false);
    auto [duzS, bizimS] = olc(duz(onceki + "/"), bizim);
    double ayristirma = ayristir(d.son);

    std::printf("files: %d, changed: %lld\n", klasorSayisi * klasorBasina, static_cast<long long>(d.ozet.degisen));
    auto satir = [](const char* ad, double duz, double bizim, double ayristirma) {
        std::printf(
            "%s rsync -n -i %.3f s; whole check %.3f s, ratio %.3f; parsing and summary %.3f s, "
            "(dry run + parsing) / dry run %.3f (target < 1.20)\n",
            ad, duz, bizim, bizim / duz, ayristirma, (duz + ayristirma) / duz);
    };
    satir("first backup (50,000 new):", ilkDuz, ilkBizim, ilkAyristirma);
    satir("100 changed:", duzS, bizimS, ayristirma);
    std::error_code ec;
    fs::remove_all(kok, ec);
    return 0;
}
