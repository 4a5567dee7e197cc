#include "core/Gunluk.hpp"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "core/Saat.hpp"
#include "temel/Dosya.hpp"
#include "core/Yol.hpp"

namespace Gunluk {
namespace {

void sistemeYaz(int seviye, const std::string& metin) {
    static std::once_flag acik;
    std::call_once(acik, [] { openlog("com.ondrak.brimvale", LOG_PID, LOG_USER); });
    syslog(seviye, "[Brimvale] %s", metin.c_str());
}

// Every physical line carries the time stamp, so that no reader takes a line
// of tool output for an entry of its own time or of none. The lines after the
// first are indented under it; blank ones are dropped.
std::string satirlar(const std::string& damga, const std::string& metin) {
    std::string sonuc;
    size_t bas = 0;
    for (bool ilk = true;; ilk = false) {
        size_t son = metin.find('\n', bas);
        std::string parca = metin.substr(bas, son == std::string::npos ? std::string::npos : son - bas);
        if (!parca.empty() && parca.back() == '\r') parca.pop_back();
        if (ilk) sonuc += damga + " " + parca + "\n";
        else if (parca.find_first_not_of(" \t") != std::string::npos) sonuc += damga + "   " + parca + "\n";
        if (son == std::string::npos) break;
        bas = son + 1;
    }
    return sonuc;
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

    std::string satir = satirlar(Saat::yerelMetin("%Y-%m-%d %H:%M:%S"), metin);
    std::error_code ec;
    std::filesystem::create_directories(Yol::durum(), ec);
    // O_APPEND makes each entry one write at the current end, also when several
    // processes log at once; O_CREAT lets the first line create the file.
    Fd fd(::open(Yol::gunluk().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd) return;
    [[maybe_unused]] ssize_t n = ::write(fd.get(), satir.data(), satir.size());
}

}  // namespace Gunluk
