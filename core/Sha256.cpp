#include "core/Sha256.hpp"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
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

// The writer of a copy: its own thread takes the filled buffers in order,
// writes them and starts their write-back, and hands each buffer back. With
// several buffers a stall of the disk does not stop the reading and hashing,
// nor a slow read the disk.
class Yazici {
public:
    // Pieces in flight: small pieces stay in the processor's caches on
    // their way from the read to the write, several of them ride out a
    // stall of either side.
    static constexpr int kTampon = 32;
    static constexpr off_t kGeriYazma = 8 << 20;

    explicit Yazici(int fd) : fd_(fd) {
        for (auto& t : tamponlar_) {
            t = std::make_unique_for_overwrite<char[]>(kParca);
            bos_.push_back(t.get());
        }
        is_ = std::thread([this] { calis(); });
    }
    // A copy given up on: what is handed over is still written, no error told.
    ~Yazici() {
        if (is_.joinable()) durdur();
    }
    // A free buffer; throws what the writer met.
    char* al() {
        std::unique_lock k(m_);
        cv_.wait(k, [&] { return !bos_.empty() || hata_; });
        if (hata_) std::rethrow_exception(hata_);
        char* p = bos_.front();
        bos_.pop_front();
        return p;
    }
    void yaz(char* p, size_t n) {
        {
            std::lock_guard k(m_);
            dolu_.push_back({p, n});
        }
        cv_.notify_all();
    }
    // Waits until everything handed over is written; throws what the writer met.
    void bitir() {
        durdur();
        if (hata_) std::rethrow_exception(hata_);
    }

private:
    void durdur() {
        {
            std::lock_guard k(m_);
            son_ = true;
        }
        cv_.notify_all();
        is_.join();
    }
    void calis() {
        off_t yazilan = 0, baslatilan = 0;
        while (true) {
            std::pair<char*, size_t> parca;
            {
                std::unique_lock k(m_);
                cv_.wait(k, [&] { return !dolu_.empty() || son_; });
                if (dolu_.empty()) return;
                parca = dolu_.front();
                dolu_.pop_front();
            }
            try {
                tumunuYaz(fd_, parca.first, parca.second);
                yazilan += static_cast<off_t>(parca.second);
                // Write-back starts every few megabytes, so the final flush
                // does not wait for the whole file.
                if (yazilan - baslatilan >= kGeriYazma) {
                    ::sync_file_range(fd_, baslatilan, yazilan - baslatilan, SYNC_FILE_RANGE_WRITE);
                    baslatilan = yazilan;
                }
            } catch (...) {
                std::lock_guard k(m_);
                hata_ = std::current_exception();
                cv_.notify_all();
                return;
            }
            {
                std::lock_guard k(m_);
                bos_.push_back(parca.first);
            }
            cv_.notify_all();
        }
    }

    int fd_;
    std::unique_ptr<char[]> tamponlar_[kTampon];
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<char*> bos_;
    std::deque<std::pair<char*, size_t>> dolu_;
    bool son_ = false;
    std::exception_ptr hata_;
    std::thread is_;
};

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
    // Read and hashed here, written by the writer: a copy costs the slower
    // of the two rather than their sum.
    std::optional<Yazici> yazici;
    std::unique_ptr<char[]> tampon;
    if (cikis) yazici.emplace(cikis.get());
    else tampon = std::make_unique_for_overwrite<char[]>(kParca);
    while (!durdu || !durdu()) {
        char* p = yazici ? yazici->al() : tampon.get();
        ssize_t n;
        while ((n = ::read(giris.get(), p, kParca)) < 0 && errno == EINTR) {
        }
        if (n < 0) throw hata("read");
        if (n == 0) break;
        EVP_DigestUpdate(sha.ctx.get(), p, static_cast<size_t>(n));
        if (yazici) yazici->yaz(p, static_cast<size_t>(n));
    }
    if (cikis) {
        yazici->bitir();
        if (::fsync(cikis.get()) != 0) throw hata("fsync");
        if (::close(cikis.birak()) != 0) throw hata("close");
    }
    return sha.hex();
}

}  // namespace Sha256
