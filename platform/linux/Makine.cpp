#include "platform/Platform.hpp"

#include <unistd.h>

#include <climits>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"

namespace Platform {

// The pretty name set for the machine, else its host name.
std::string bilgisayarAdi() {
    for (const auto& satir : Metin::bol(oku("/etc/machine-info").value_or(""), '\n', true))
        if (satir.starts_with("PRETTY_HOSTNAME=")) {
            std::string ad = Metin::kirp(satir.substr(16));
            if (ad.size() >= 2 && (ad.front() == '"' || ad.front() == '\'') && ad.back() == ad.front())
                ad = ad.substr(1, ad.size() - 2);
            if (!ad.empty()) return ad;
        }
    char buf[HOST_NAME_MAX + 1] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

}  // namespace Platform
