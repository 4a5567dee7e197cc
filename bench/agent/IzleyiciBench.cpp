// The service manager's watcher: the CPU it uses while nothing is mounted
// (utime + stime from /proc/<pid>/stat over a stretch of idle time), and how
// soon after mount(2) returns it has started a job that asks for mounts,
// over mounts and unmounts of a loop disk taken in turn. The job is a small
// script that records the mount it was started for and the time it began.
// Mounts elsewhere on the machine meanwhile wake the watcher too; those
// are counted and printed beside the idle figure.
// Usage: bench_izleyici [idle seconds=60] [mounts=10]
// Needs root and loop devices; without them it says why and exits 0.
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Plist.hpp"
#include "temel/Metin.hpp"

namespace fs = std::filesystem;

namespace {

std::string eksik() {
    if (::geteuid() != 0) return "needs root to attach loop devices and mount";
    if (!fs::exists("/dev/loop-control")) return "no loop devices";
    for (const char* p : {"/usr/sbin/losetup", "/usr/sbin/mkfs.ext4", "/usr/bin/date"})
        if (::access(p, X_OK) != 0) return std::string(p) + " is missing";
    return {};
}

long long simdiNs() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// utime + stime of `pid`, in clock ticks; -1 when it is gone.
long long tikler(pid_t pid) {
    auto stat = oku("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return -1;
    std::istringstream s(stat->substr(stat->rfind(')') + 2));
    std::string alan;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 13; ++i) s >> alan;  // state .. cmajflt
    s >> utime >> stime;
    return utime + stime;
}

// The job's starts as "mount ns" lines.
std::vector<std::pair<std::string, long long>> baslamalar(const std::string& dosya) {
    std::vector<std::pair<std::string, long long>> v;
    std::istringstream s(oku(dosya).value_or(""));
    for (std::string satir; std::getline(s, satir);) {
        auto b = satir.rfind(' ');
        if (b != std::string::npos) v.emplace_back(satir.substr(0, b), std::atoll(satir.c_str() + b + 1));
    }
    return v;
}

size_t sayi(const std::string& dosya, const std::string& birim) {
    auto v = baslamalar(dosya);
    return std::ranges::count(v, birim, &std::pair<std::string, long long>::first);
}

}  // namespace

int main(int argc, char** argv) {
    if (auto e = eksik(); !e.empty()) {
        std::printf("skipped: %s\n", e.c_str());
        return 0;
    }
    int bosSaniye = argc > 1 ? std::atoi(argv[1]) : 60;
    int turlar = argc > 2 ? std::atoi(argv[2]) : 10;
    char sablon[] = "/tmp/brimvale-izleyici-XXXXXX";
    std::string kok = ::mkdtemp(sablon);
    // The watcher's state and the login entry stay in our folder.
    setenv("BRIMVALE_DURUM", (kok + "/durum").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (kok + "/config").c_str(), 1);
    std::string launchctl = std::string(BRIMVALE_PAKET) + "/Contents/Helpers/launchctl";
    std::string alan = "gui/" + std::to_string(::getuid()), etiket = "com.ondrak.brimvale.olcum";
    std::string kayit = kok + "/baslamalar", betik = kok + "/is.sh", tanim = kok + "/is.plist";
    std::string imaj = kok + "/disk.img", yer = kok + "/birim";
    fs::create_directories(yer);

    atomikYaz(betik, "#!/bin/sh\necho \"$BRIMVALE_BAGLANAN $(/usr/bin/date +%s%N)\" >> '" + kayit + "'\n", std::nullopt, 0755);
    atomikYaz(tanim, Plist::xml({{"Label", etiket}, {"ProgramArguments", {betik}}, {"StartOnMount", true}}));
    atomikYaz(imaj, "");
    fs::resize_file(imaj, 32 << 20);
    std::string dongu = Metin::kirp(komut("/usr/sbin/losetup", {"-f", "--show", imaj}).cikti);
    int kod = 0;
    if (dongu.empty() || komut("/usr/sbin/mkfs.ext4", {"-q", "-F", dongu}).kod != 0) {
        std::printf("no loop disk made\n");
        kod = 1;
    } else if (KomutSonucu b = komut(launchctl, {"bootstrap", alan, tanim}); b.kod != 0) {
        std::printf("bootstrap failed: %s\n", b.cikti.c_str());
        kod = 1;
    } else {
        pid_t pid = std::atoi(oku(kok + "/durum/hizmetler/izleyici.pid").value_or("0").c_str());
        long long once = tikler(pid);
        std::this_thread::sleep_for(std::chrono::seconds(bosSaniye));
        long long sonra = tikler(pid);
        long long t = sonra - once;
        double yuzde = 100.0 * double(t) / double(::sysconf(_SC_CLK_TCK)) / bosSaniye;
        std::printf("idle %d s: watcher pid %d used %lld ticks (%.3f%% CPU); jobs started meanwhile by other mounts: %zu\n",
                    bosSaniye, pid, t, yuzde, baslamalar(kayit).size());

        std::vector<double> ms;
        for (int i = 0; i < turlar; ++i) {
            size_t n = sayi(kayit, yer);
            if (::mount(dongu.c_str(), yer.c_str(), "ext4", 0, nullptr) != 0) {
                std::perror("mount");
                kod = 1;
                break;
            }
            long long bas = simdiNs();
            auto son = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (sayi(kayit, yer) == n && std::chrono::steady_clock::now() < son)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            auto v = baslamalar(kayit);
            auto b = std::find_if(v.rbegin(), v.rend(), [&](const auto& x) { return x.first == yer; });
            if (sayi(kayit, yer) == n) std::printf("mount %d: no start within 5 s\n", i + 1);
            else ms.push_back(double(b->second - bas) / 1e6);
            ::umount2(yer.c_str(), 0);
        }
        if (!ms.empty()) {
            std::ranges::sort(ms);
            std::printf("reaction over %zu mounts: median %.2f ms, min %.2f ms, max %.2f ms\n", ms.size(),
                        ms[ms.size() / 2], ms.front(), ms.back());
        }
        if (ms.size() != size_t(turlar)) kod = 1;
    }
    komut(launchctl, {"bootout", alan + "/" + etiket});
    ::umount2(yer.c_str(), MNT_DETACH);
    if (!dongu.empty()) komut("/usr/sbin/losetup", {"-d", dongu});
    std::error_code ec;
    fs::remove_all(kok, ec);
    return kod;
}
