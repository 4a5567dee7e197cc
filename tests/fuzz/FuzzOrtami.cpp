#include "tests/fuzz/FuzzOrtami.hpp"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace FuzzOrtami {
namespace {

std::string kokYolu;

void temizle() {
    std::error_code ec;
    if (!kokYolu.empty()) fs::remove_all(kokYolu, ec);
}

}  // namespace

void kur() {
    if (!kokYolu.empty()) return;
    char sablon[] = "/tmp/brimvale-fuzz-XXXXXX";
    if (!::mkdtemp(sablon)) std::abort();
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
