#include "core/Gunluk.hpp"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "core/Saat.hpp"
#include "core/Yol.hpp"

namespace Gunluk {
namespace {

void sistemeYaz(int seviye, const std::string& metin) {
    static std::once_flag acik;
    std::call_once(acik, [] { openlog("com.ondrak.brimvale", LOG_PID, LOG_USER); });
    syslog(seviye, "[Brimvale] %s", metin.c_str());
}

}  // namespace

bool teknik(const std::string& metin) {
    static const char* isaretler[] = {"rsync",  "ERROR",  "WARNING", "NOTE:",       "stale attachment",
                                      "old layout", "attach", "HATA (",  "UYARI: imaj", "no image:"};
    for (const char* i : isaretler)
        if (metin.find(i) != std::string::npos) return true;
    return false;
}

void sistem(const std::string& metin) { sistemeYaz(LOG_NOTICE, metin); }

void yaz(const std::string& metin) {
    if (teknik(metin)) sistemeYaz(LOG_DEBUG, metin);
    else sistem(metin);

    std::string satir = Saat::yerelMetin("%Y-%m-%d %H:%M:%S") + " " + metin + "\n";
    std::error_code ec;
    std::filesystem::create_directories(Yol::durum(), ec);
    // O_APPEND makes each line one write at the current end, also when several
    // processes log at once; O_CREAT lets the first line create the file.
    int fd = ::open(Yol::gunluk().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] ssize_t n = ::write(fd, satir.data(), satir.size());
    ::close(fd);
}

}  // namespace Gunluk
