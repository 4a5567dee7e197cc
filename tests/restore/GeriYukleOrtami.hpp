#pragma once
// Copies for the restore tests: a plain folder stands in for the mounted
// image (Yol::yedekler in the private state directory), and one backed-up
// folder "Belgeler" on the computer.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <string>

#include "core/Ayarlar.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace GeriYukleOrtami {

inline constexpr const char* A = "2024-01-01_100000";
inline constexpr const char* B = "2024-02-01_100000";
inline constexpr const char* C = "2024-03-01_100000";

inline std::string kopyada(const std::string& kopya, const std::string& rel) {
    return Yol::yedekler() + "/" + kopya + "/" + rel;
}
inline std::string mac() { return TestOrtami::kok() + "/mac/Belgeler"; }

inline Ayarlar ayarlar() {
    Ayarlar a;
    a.kaynaklar = {mac()};
    return a;
}

// A file with a given mode and modification time.
inline void dosya(const std::string& yol, const std::string& icerik, mode_t mod = 0644, time_t mtime = 1700000000) {
    TestOrtami::dosyaYaz(yol, icerik);
    ::chmod(yol.c_str(), mod);
    struct timespec t[2] = {{mtime, 0}, {mtime, 0}};
    ::utimensat(AT_FDCWD, yol.c_str(), t, AT_SYMLINK_NOFOLLOW);
}

inline std::string xattr(const std::string& yol, const char* ad = "user.etiket") {
    char b[256];
    ssize_t n = ::lgetxattr(yol.c_str(), ad, b, sizeof b);
    return n < 0 ? "" : std::string(b, n);
}

}  // namespace GeriYukleOrtami
