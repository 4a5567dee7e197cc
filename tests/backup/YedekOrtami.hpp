#pragma once
// Folders for the backup tests: sources under the private root and a plain
// folder standing in for the mounted image (Yol::mnt in the private state
// directory).
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace YedekOrtami {

using TestOrtami::durum;
using TestOrtami::gunluk;

inline std::string kaynak(const std::string& ad) { return TestOrtami::kok() + "/mac/" + ad; }

// Writes a file with a fixed modification time, so copies compare equal.
inline void dosya(const std::string& yol, const std::string& icerik, time_t mtime = 1700000000) {
    TestOrtami::dosyaYaz(yol, icerik);
    struct timespec t[2] = {{mtime, 0}, {mtime, 0}};
    ::utimensat(AT_FDCWD, yol.c_str(), t, 0);
}

inline Ayarlar ayarlar(const std::vector<std::string>& adlar) {
    Ayarlar a;
    a.haric = {".DS_Store", "*.tmp"};
    for (const auto& ad : adlar) a.kaynaklar.push_back(kaynak(ad));
    return a;
}

// The real copy tool behind a recording fake; `sonra` runs after it.
inline SahteArac rsyncKaydet(const std::string& sonra = "") {
    SahteArac a(TestOrtami::araclar(), "rsync");
    a.betik("/usr/bin/rsync \"$@\"; rc=$?\n" + sonra + "\nexit $rc");
    return a;
}

}  // namespace YedekOrtami
