#include "core/Sha256.hpp"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <memory>

#include "core/Hata.hpp"
#include "temel/Dosya.hpp"

namespace Sha256 {
namespace {

BrimvaleHatasi hata(const std::string& ne) { return BrimvaleHatasi(2, ne + ": " + std::strerror(errno)); }

struct Baglam {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx{EVP_MD_CTX_new(), EVP_MD_CTX_free};
    Baglam() {
        if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
            throw BrimvaleHatasi(2, "sha256: cannot start");
    }
    std::string hex() {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        EVP_DigestFinal_ex(ctx.get(), md, &n);
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
            throw hata("write");
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
}

}  // namespace

std::string akit(const std::string& kaynak, const std::optional<std::string>& hedef, const Durdu& durdu, mode_t mod) {
    Fd giris(::open(kaynak.c_str(), O_RDONLY | O_CLOEXEC));
    if (!giris) throw hata("open " + kaynak);
    ::posix_fadvise(giris.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    Fd cikis;
    if (hedef) {
        cikis.sifirla(::open(hedef->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mod));
        if (!cikis) throw hata("create");
    }
    Baglam sha;
    // Two buffers: while one is written, the next is read and hashed, so a
    // copy costs the slower of the two rather than their sum.
    std::unique_ptr<char[]> tampon[2] = {std::make_unique_for_overwrite<char[]>(kParca),
                                         cikis ? std::make_unique_for_overwrite<char[]>(kParca) : nullptr};
    std::future<void> yazim;  // the write in flight, of the other buffer
    off_t yazilan = 0;
    for (int i = 0; !durdu || !durdu(); i = cikis ? 1 - i : 0) {
        ssize_t n = ::read(giris.get(), tampon[i].get(), kParca);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw hata("read");
        }
        if (n == 0) break;
        EVP_DigestUpdate(sha.ctx.get(), tampon[i].get(), static_cast<size_t>(n));
        if (!cikis) continue;
        if (yazim.valid()) yazim.get();
        yazim = std::async(std::launch::async, [fd = cikis.get(), p = tampon[i].get(), n, yazilan] {
            tumunuYaz(fd, p, static_cast<size_t>(n));
            // Start writing back what is written so the final flush does not
            // wait for the whole file.
            ::sync_file_range(fd, yazilan, n, SYNC_FILE_RANGE_WRITE);
        });
        yazilan += n;
    }
    if (cikis) {
        if (yazim.valid()) yazim.get();
        if (::fsync(cikis.get()) != 0) throw hata("fsync");
        if (::close(cikis.birak()) != 0) throw hata("close");
    }
    return sha.hex();
}

}  // namespace Sha256
