// Streaming a large file through its digest, and copying it into place.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "core/Sha256.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace BuyukDosyalar {
namespace {

std::string sistemMetni() { return std::strerror(errno); }

void klasoruEsitle(const std::string& yol) {
    std::string klasor = std::filesystem::path(yol).parent_path().string();
    if (Fd fd(::open(klasor.empty() ? "." : klasor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); fd) ::fsync(fd.get());
}

}  // namespace

double esik() {
    const double varsayilan = 1073741824.0;
    const char* e = std::getenv("BRIMVALE_BUYUK_ESIK");
    return Metin::ondalik(e ? e : "").value_or(varsayilan);
}

std::string katalogYolu() { return Kopyalar::metaKlasoru() + "/buyuk-dosyalar.json"; }

std::string geciciAd(const std::string& yol) {
    std::filesystem::path p(yol);
    return (p.parent_path() / (".brimvale-" + p.filename().string())).string();
}

BrimvaleHatasi hataYap(const std::string& metin) { return BrimvaleHatasi(2, metin); }

std::optional<std::string> kopyala(const std::string& kaynak, const std::string& hedef, const struct stat& st,
                                   const Durdu& durdu) {
    std::string gecici = geciciAd(hedef);
    ::unlink(gecici.c_str());
    try {
        std::string sha = Sha256::akit(kaynak, gecici, durdu);
        if (durdu()) {
            if (::unlink(gecici.c_str()) != 0) throw hataYap("remove: " + sistemMetni());
            return std::nullopt;
        }
        if (::chmod(gecici.c_str(), st.st_mode & 07777) != 0) throw hataYap("chmod: " + sistemMetni());
        zamaniKoy(gecici, st);
        struct stat eski{};
        // A rename replaces a file atomically, but not a folder.
        if (::lstat(hedef.c_str(), &eski) == 0 && S_ISDIR(eski.st_mode) && ::rmdir(hedef.c_str()) != 0)
            throw hataYap("remove: " + sistemMetni());
        if (::rename(gecici.c_str(), hedef.c_str()) != 0) throw hataYap("rename: " + sistemMetni());
        klasoruEsitle(hedef);
        return sha;
    } catch (...) {
        ::unlink(gecici.c_str());
        throw;
    }
}

void klasorAc(const std::string& yol) {
    std::string onek;
    for (const auto& parca : Metin::bol(yol, '/', true)) {
        onek += "/" + parca;
        if (::mkdir(onek.c_str(), 0755) == 0) continue;
        int e = errno;
        struct stat st{};
        if (e == EEXIST && ::stat(onek.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        errno = e == EEXIST ? ENOTDIR : e;
        throw hataYap("mkdir " + onek + ": " + sistemMetni());
    }
}

bool ayni(const std::string& yol1, const std::string& yol2) {
    struct stat a{}, b{};
    return ::lstat(yol1.c_str(), &a) == 0 && ::lstat(yol2.c_str(), &b) == 0 && S_ISREG(a.st_mode) &&
           S_ISREG(b.st_mode) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec;
}

double zaman(const struct timespec& ts) {
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void zamaniKoy(const std::string& yol, const struct stat& st) {
    const struct timespec zamanlar[2] = {st.st_atim, st.st_mtim};
    if (::utimensat(AT_FDCWD, yol.c_str(), zamanlar, AT_SYMLINK_NOFOLLOW) != 0)
        throw hataYap("utimensat: " + sistemMetni());
}

}  // namespace BuyukDosyalar
