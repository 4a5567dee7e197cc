// Streaming a large file through its digest, and copying it into place.
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/Metin.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace BuyukDosyalar {
namespace {

std::string sistemMetni() { return std::strerror(errno); }

struct Tanitici {
    int fd = -1;
    explicit Tanitici(int f) : fd(f) {}
    Tanitici(const Tanitici&) = delete;
    Tanitici& operator=(const Tanitici&) = delete;
    ~Tanitici() {
        if (fd >= 0) ::close(fd);
    }
};

struct OzetDurumu {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    OzetDurumu() {
        if (!ctx || EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) != 1) throw hataYap("sha256: cannot start");
    }
    OzetDurumu(const OzetDurumu&) = delete;
    OzetDurumu& operator=(const OzetDurumu&) = delete;
    ~OzetDurumu() { EVP_MD_CTX_free(ctx); }
    std::string hex() {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        EVP_DigestFinal_ex(ctx, md, &n);
        static const char* rakam = "0123456789abcdef";
        std::string s;
        for (unsigned i = 0; i < n; ++i) {
            s += rakam[md[i] >> 4];
            s += rakam[md[i] & 15];
        }
        return s;
    }
};

void tumunuYaz(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw hataYap("write: " + sistemMetni());
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
}

void klasoruEsitle(const std::string& yol) {
    std::string klasor = std::filesystem::path(yol).parent_path().string();
    int fd = ::open(klasor.empty() ? "." : klasor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

double esik() {
    const double varsayilan = 1073741824.0;
    const char* e = std::getenv("BRIMVALE_BUYUK_ESIK");
    if (!e || !*e || std::isspace(static_cast<unsigned char>(*e))) return varsayilan;
    char* son = nullptr;
    errno = 0;
    double d = std::strtod(e, &son);
    if (*son != '\0' || errno == ERANGE || !std::isfinite(d)) return varsayilan;
    return d;
}

std::string katalogYolu() { return Kopyalar::metaKlasoru() + "/buyuk-dosyalar.json"; }

std::string geciciAd(const std::string& yol) {
    std::filesystem::path p(yol);
    return (p.parent_path() / (".brimvale-" + p.filename().string())).string();
}

BrimvaleHatasi hataYap(const std::string& metin) { return BrimvaleHatasi(2, metin); }

std::string akit(const std::string& kaynak, const std::optional<std::string>& hedef, const Durdu& durdu) {
    Tanitici giris(::open(kaynak.c_str(), O_RDONLY | O_CLOEXEC));
    if (giris.fd < 0) throw hataYap("open " + kaynak + ": " + sistemMetni());
    ::posix_fadvise(giris.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Tanitici cikis(-1);
    if (hedef) {
        cikis.fd = ::open(hedef->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (cikis.fd < 0) throw hataYap("create: " + sistemMetni());
    }
    OzetDurumu ozet;
    auto tampon = std::make_unique_for_overwrite<char[]>(parca);
    off_t yazilan = 0;
    while (!durdu()) {
        ssize_t n = ::read(giris.fd, tampon.get(), parca);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw hataYap("read: " + sistemMetni());
        }
        if (n == 0) break;
        EVP_DigestUpdate(ozet.ctx, tampon.get(), static_cast<size_t>(n));
        if (cikis.fd >= 0) {
            tumunuYaz(cikis.fd, tampon.get(), static_cast<size_t>(n));
            // Start writing back what is written so the final flush does not
            // wait for the whole file.
            ::sync_file_range(cikis.fd, yazilan, n, SYNC_FILE_RANGE_WRITE);
            yazilan += n;
        }
    }
    if (cikis.fd >= 0) {
        if (::fsync(cikis.fd) != 0) throw hataYap("fsync: " + sistemMetni());
        int fd = cikis.fd;
        cikis.fd = -1;
        if (::close(fd) != 0) throw hataYap("close: " + sistemMetni());
    }
    return ozet.hex();
}

std::string ozet(const std::string& yol, const Durdu& durdu) { return akit(yol, std::nullopt, durdu); }

std::optional<std::string> kopyala(const std::string& kaynak, const std::string& hedef, const struct stat& st,
                                   const Durdu& durdu) {
    std::string gecici = geciciAd(hedef);
    ::unlink(gecici.c_str());
    try {
        std::string sha = akit(kaynak, gecici, durdu);
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
