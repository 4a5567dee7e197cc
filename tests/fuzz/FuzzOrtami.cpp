#include "tests/fuzz/FuzzOrtami.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace FuzzOrtami {
namespace {

// Every fuzzing process keeps its world in "<pid>-XXXXXX" here.
const std::string kUst = "/tmp/brimvale-fuzz";
std::string kokYolu;

// A crash ends a process without its exit handlers: the worlds of processes
// that are gone are removed by the next one, never those of live ones.
void olulerinkiniSil() {
    std::error_code ec;
    for (fs::directory_iterator it(kUst, ec), son; !ec && it != son; it.increment(ec)) {
        char* bitis = nullptr;
        long pid = std::strtol(it->path().filename().c_str(), &bitis, 10);
        if (pid > 0 && *bitis == '-' && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(it->path(), ec);
    }
}

void kur() {
    fs::create_directories(kUst);
    olulerinkiniSil();
    std::string sablon = kUst + "/" + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(sablon.data())) std::abort();
    kokYolu = sablon;
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(kokYolu, ec);
    });
    for (const char* k : {"/araclar", "/ev"}) fs::create_directories(kokYolu + k);
    for (auto [ad, deger] : {std::pair{"BRIMVALE_DURUM", "/durum"}, {"BRIMVALE_ARACLAR", "/araclar"}, {"HOME", "/ev"},
                             {"XDG_DATA_HOME", "/ev/.local/share"}, {"BRIMVALE_COP", "/cop"}})
        ::setenv(ad, (kokYolu + deger).c_str(), 1);
    ::setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    ::unsetenv("BRIMVALE_PAROLA");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // A zone with clock changes, so copy names meet skipped and repeated hours.
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
}

}  // namespace

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    if (FuzzOrtami::kok().empty()) FuzzOrtami::kur();
    FuzzOrtami::dene(std::string(reinterpret_cast<const char*>(veri), boy));
    return 0;
}
