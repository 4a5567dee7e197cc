#pragma once
// One check-download-install cycle, told step by step to a user driver: the
// command line's (SessizSurucu) or the window application's.
#include <atomic>
#include <functional>
#include <string>

#include "update/Besleme.hpp"

namespace Guncelleme {

struct Surucu {
    virtual ~Surucu() = default;
    virtual void denetleniyor() {}
    virtual void bulundu(const Surum&) {}
    virtual void indiriliyor() {}
    virtual void aciliyor() {}
    virtual void kuruluyor() {}
    // Waiting for the backup to end; the driver hears nothing meanwhile.
    virtual void ertelendi() {}
    virtual void kuruldu() {}
    virtual void yok() {}
    virtual void hata(const std::string&) {}
    // Something arrived (bytes of the feed or the archive).
    virtual void duyuldu() {}
};

struct Ayar {
    std::string besleme;  // the feed's address
    std::string anahtar;  // the maker's public key, base64
    std::string paket;    // the installed bundle
    std::string yapi;     // its build
    std::function<bool()> yedekCalisiyor;
    // The window application starts the new bundle itself and then quits.
    bool pencereyiAc = false;
};

enum class Sonuc { kuruldu, yok, hata };

// Never throws: every failure reaches the driver and the log, and leaves the
// installed bundle as it was.
Sonuc dongu(const Ayar& a, Surucu& s, const std::atomic<bool>& iptal);

}  // namespace Guncelleme
