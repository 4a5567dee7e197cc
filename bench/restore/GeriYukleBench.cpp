// The restore side's reads in an encrypted image mounted as the backup run
// mounts it: versions of one file across 1,000 copies against one plain lstat
// per copy, a search over 200,000 entries that matches everything, and
// listing a folder of 10,000 entries in order. Each figure is taken five
// times, interleaved with its comparison, with cold caches (dropped before
// each pass) and warm ones; min / median / max are printed. Without root or
// FUSE it measures a plain folder instead and says so.
// Usage: bench_geri_yukle
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "agent/Kurulum.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "restore/Dugum.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace {

const char* const parola = "tezgah parolasi 42";

std::string gercekImajEksik() {
    if (::geteuid() != 0) return "needs root to mount the image";
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is not usable";
    if (::access("/usr/bin/gocryptfs", X_OK) != 0) return "gocryptfs is missing";
    return {};
}

void onbellekBosalt(bool gercek) {
    ::sync();
    if (gercek) std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

double sure(const std::function<void()>& is) {
    auto bas = std::chrono::steady_clock::now();
    is();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
}

// Five cold and five warm passes of `a` and `b`, interleaved.
void olc(const char* ad, double butce, bool gercek, const std::function<void()>& a, const char* bAd,
         const std::function<void()>& b) {
    for (bool soguk : {true, false}) {
        std::vector<double> ta, tb;
        for (int i = 0; i < 5; ++i) {
            if (soguk) onbellekBosalt(gercek);
            ta.push_back(sure(a));
            if (!b) continue;
            if (soguk) onbellekBosalt(gercek);
            tb.push_back(sure(b));
        }
        auto yaz = [](std::vector<double>& t) {
            std::sort(t.begin(), t.end());
            return std::to_string(t.front() * 1000).substr(0, 6) + " / " + std::to_string(t[2] * 1000).substr(0, 6) +
                   " / " + std::to_string(t.back() * 1000).substr(0, 6) + " ms";
        };
        std::string karsi = b ? std::string(", ") + bAd + " " + yaz(tb) : "";
        std::printf("  %-4s %s: %s (budget %.0f ms)%s\n", soguk ? "cold" : "warm", ad, yaz(ta).c_str(),
                    butce * 1000, karsi.c_str());
    }
}

int yanlis(size_t n, size_t beklenen, const char* ne) {
    if (n == beklenen) return 0;
    std::printf("  wrong: %zu %s, not %zu\n", n, ne, beklenen);
    return 1;
}

void listeDoldur(const std::string& kopya) {
    std::string liste = Yol::yedekler() + "/" + kopya + "/Belgeler/liste";
    fs::create_directories(liste);
    for (int d = 0; d < 10000; ++d) std::ofstream(liste + "/Belge " + std::to_string(d) + ".pdf");
}

void doldur(const std::vector<std::string>& adlar) {
    std::string yedekler = Yol::yedekler();
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
    listeDoldur(adlar[0]);
}

}  // namespace

int main() {
    char sablon[] = "/tmp/brimvale-geri-bench-XXXXXX";
    if (!::mkdtemp(sablon)) return 1;
    std::string kok = sablon;
    std::string araclar = kok + "/araclar", disk = kok + "/disk";
    fs::create_directories(araclar);
    fs::create_directories(disk);
    ::setenv("BRIMVALE_DURUM", (kok + "/durum").c_str(), 1);
    ::setenv("BRIMVALE_ARACLAR", araclar.c_str(), 1);
    ::setenv("BRIMVALE_PAROLA", parola, 1);
    // This program is not inside the bundle: it reaches the stand-ins through the tool folder.
    for (const char* ad : {"hdiutil", "diskutil", "security"})
        fs::create_symlink(fs::path(BRIMVALE_PAKET) / "Contents/Helpers" / ad, fs::path(araclar) / ad);

    std::string eksik = gercekImajEksik();
    bool gercek = eksik.empty();
    Ayarlar ayarlar;
    if (gercek) {
        Birim birim{"", "bench", disk, 8e9, 8e9};
        std::string imaj = disk + "/" + ayarlar.imajAdi;
        if (auto h = Kurulum::imajOlustur(birim, ayarlar, parola)) {
            std::fprintf(stderr, "creating the image failed: %s\n", h->c_str());
            return 1;
        }
        if (auto h = Disk::imajiBagla(imaj, false, ayarlar)) {
            std::fprintf(stderr, "attaching the image failed: %s\n", h->c_str());
            return 1;
        }
        std::printf("in an encrypted image mounted at %s\n", Yol::mnt().c_str());
    } else {
        std::printf("in a plain folder: %s\n", eksik.c_str());
    }
    int kod = 0;
    {
        Disk::ImajAyirici ayirici;
        if (!gercek) ayirici.birak();
        auto an = std::chrono::system_clock::from_time_t(1767225600);  // 2026-01-01
        std::vector<std::string> adlar;
        for (int i = 0; i < 1000; ++i) adlar.push_back(Kopyalar::yeniAd(an + std::chrono::hours(i)));
        doldur(adlar);

        size_t n = 0;
        olc(
            "surumler, 1,000 copies", 0.05, gercek, [&] { n = GeriYukle::surumler("Belgeler/alt/a.txt").size(); },
            "one lstat per copy",
            [&] {
                std::string yedekler = Yol::yedekler();
                for (const auto& ad : Kopyalar::liste(yedekler)) {
                    struct stat st{};
                    ::lstat((yedekler + "/" + ad + "/Belgeler/alt/a.txt").c_str(), &st);
                }
            });
        kod |= yanlis(n, 1, "versions");
        olc("ara, 200,000 entries", 0.5, gercek, [&] { n = Arama::ara(adlar[0], "", nullptr).size(); }, "", nullptr);
        kod |= yanlis(n, Arama::kEnCok, "results");
        auto listele = [&](const char* nerede) {
            olc(
                nerede, 0.05, gercek, [&] { n = Dugum::oku(adlar[0], "Belgeler/liste").size(); }, "plain readdir",
                [&] {
                    size_t m = 0;
                    for (const auto& e : fs::directory_iterator(Yol::yedekler() + "/" + adlar[0] + "/Belgeler/liste"))
                        m += e.path().native().size() > 0;
                });
            kod |= yanlis(n, 10000, "entries");
        };
        listele("oku, 10,000 entries in order");
        if (gercek) {
            // The same listing outside the image: what the ordering itself costs
            // where the file system lists quickly.
            if (ayirici.ayir()) kod = 1;
            listeDoldur(adlar[0]);
            listele("oku, the same outside the image");
        }
    }
    std::error_code ec;
    fs::remove_all(kok, ec);
    return kod;
}
