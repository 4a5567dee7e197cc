#include "tests/fuzz/FuzzOrtami.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace FuzzOrtami {
namespace {

// Every fuzzing process keeps its world in "<pid>-XXXXXX" here.
const char* kUst = "/tmp/brimvale-fuzz";

std::string kokYolu;

void temizle() {
    std::error_code ec;
    if (!kokYolu.empty()) fs::remove_all(kokYolu, ec);
}

// A crash ends a process without its exit handlers: the worlds of processes
// that are gone are removed by the next one, never those of live ones.
void olulerinkiniSil() {
    std::error_code ec;
    for (fs::directory_iterator it(kUst, ec), son; !ec && it != son; it.increment(ec)) {
        std::string ad = it->path().filename().string();
        char* bitis = nullptr;
        long pid = std::strtol(ad.c_str(), &bitis, 10);
        if (pid <= 0 || *bitis != '-') continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fs::remove_all(it->path(), ec);
    }
}

}  // namespace

void kur() {
    if (!kokYolu.empty()) return;
    std::error_code ec;
    fs::create_directories(kUst, ec);
    olulerinkiniSil();
    std::string sablon = std::string(kUst) + "/" + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(sablon.data())) std::abort();
    kokYolu = sablon;
    std::atexit(temizle);
    fs::create_directories(kokYolu + "/araclar");
    fs::create_directories(kokYolu + "/ev");
    ::setenv("BRIMVALE_DURUM", (kokYolu + "/durum").c_str(), 1);
    ::setenv("BRIMVALE_ARACLAR", (kokYolu + "/araclar").c_str(), 1);
    ::setenv("HOME", (kokYolu + "/ev").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (kokYolu + "/ev/.local/share").c_str(), 1);
    ::setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    ::setenv("BRIMVALE_COP", (kokYolu + "/cop").c_str(), 1);
    ::unsetenv("BRIMVALE_PAROLA");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // A zone with clock changes, so copy names meet skipped and repeated hours.
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
}

std::string kok() { return kokYolu; }

void dosyaYaz(const std::string& yol, const std::string& icerik) {
    std::error_code ec;
    fs::create_directories(fs::path(yol).parent_path(), ec);
    std::ofstream(yol, std::ios::binary | std::ios::trunc) << icerik;
}

void sahteArac(const std::string& ad, const std::string& cikti) {
    std::string yol = kokYolu + "/araclar/" + ad;
    dosyaYaz(yol, "#!/bin/sh\nexec /bin/cat '" + cikti + "'\n");
    ::chmod(yol.c_str(), 0755);
}

}  // namespace FuzzOrtami
