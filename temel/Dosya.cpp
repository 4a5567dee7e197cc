#include "temel/Dosya.hpp"

#include <fcntl.h>
#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#include <memory>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#include "temel/Metin.hpp"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void sistemHatasi(const std::string& yol) {
    throw std::system_error(errno, std::generic_category(), yol);
}

std::string rastgeleEk() {
    static std::atomic<unsigned> sayac{0};
    static thread_local std::mt19937_64 uretec{std::random_device{}()};
    return std::to_string(getpid()) + "-" + std::to_string(sayac++) + "-" + std::to_string(uretec() % 1000000007);
}

void tamYaz(int fd, const std::string& icerik, const std::string& yol) {
    const char* p = icerik.data();
    size_t kalan = icerik.size();
    while (kalan > 0) {
        ssize_t n = ::write(fd, p, kalan);
        if (n < 0) {
            if (errno == EINTR) continue;
            sistemHatasi(yol);
        }
        p += n;
        kalan -= static_cast<size_t>(n);
    }
}

}  // namespace

std::optional<std::string> baytlariOku(const std::string& yol, size_t sinir) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Fd fd(::open(yol.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return std::nullopt;
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        (st.st_size > 0 && static_cast<uint64_t>(st.st_size) > sinir))
        return std::nullopt;
    std::string icerik;
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return icerik;
        // Files of /proc report no size, and a file may grow while read.
        if (icerik.size() + static_cast<size_t>(n) > sinir) return std::nullopt;
        icerik.append(buf, static_cast<size_t>(n));
    }
}

std::optional<std::string> oku(const std::string& yol, size_t sinir) {
    auto baytlar = baytlariOku(yol, sinir);
    if (!baytlar || !Metin::utf8Gecerli(*baytlar)) return std::nullopt;
    return baytlar;
}

void atomikYaz(const std::string& yol, const std::string& icerik, const std::optional<std::string>& geciciAd, mode_t mod) {
    fs::path hedef(yol);
    fs::path klasor = hedef.parent_path();
    if (!klasor.empty()) fs::create_directories(klasor);
    fs::path gecici = geciciAd ? fs::path(*geciciAd) : klasor / ("." + hedef.filename().string() + "." + rastgeleEk() + ".tmp");
    int bayraklar = O_WRONLY | O_CREAT | O_CLOEXEC | (geciciAd ? O_TRUNC : O_EXCL);
    Fd fd(::open(gecici.c_str(), bayraklar, mod));
    if (!fd) sistemHatasi(gecici.string());
    try {
        // A reused temporary name keeps its old mode; a secret must not.
        if (geciciAd && ::fchmod(fd.get(), mod) != 0) sistemHatasi(gecici.string());
        tamYaz(fd.get(), icerik, gecici.string());
        if (::fsync(fd.get()) != 0) sistemHatasi(gecici.string());
    } catch (...) {
        fd.sifirla();
        ::unlink(gecici.c_str());
        throw;
    }
    fd.sifirla();
    if (::rename(gecici.c_str(), hedef.c_str()) != 0) {
        int e = errno;
        ::unlink(gecici.c_str());
        errno = e;
        sistemHatasi(yol);
    }
    // The rename itself must survive a power cut too.
    if (Fd klasorFd(::open(klasor.empty() ? "." : klasor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); klasorFd)
        ::fsync(klasorFd.get());
}

namespace {

// Resolves "." and ".." and drops duplicate and trailing separators; ".."
// at the root stays at the root.
std::string standart(const std::string& yol) {
    std::string s = fs::path(yol).lexically_normal().string();
    if (s.size() > 1 && s.back() == '/') s.pop_back();
    return s.empty() ? "." : s;
}

}  // namespace

std::optional<std::string> guvenliYol(const std::string& kok, const std::string& rel) {
    if (!rel.empty() && rel[0] == '/') return std::nullopt;
    std::string birlesik = standart(kok + "/" + rel);
    std::string kokS = standart(kok);
    if (birlesik == kokS) return birlesik;
    std::string onek = kokS == "/" ? "/" : kokS + "/";
    if (birlesik.starts_with(onek)) return birlesik;
    return std::nullopt;
}

void Fd::sifirla(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool isSymlink(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::vector<std::string> sonSatirlar(const std::string& yol, size_t adet) {
    Fd fd(::open(yol.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    // Read backwards in blocks until enough line breaks are seen.
    std::string kuyruk;
    off_t konum = st.st_size;
    size_t satirlar = 0;
    while (konum > 0 && satirlar <= adet) {
        off_t blok = std::min<off_t>(konum, 64 * 1024);
        konum -= blok;
        std::string parca(static_cast<size_t>(blok), '\0');
        if (::pread(fd.get(), parca.data(), parca.size(), konum) != blok) return {};
        satirlar += static_cast<size_t>(std::count(parca.begin(), parca.end(), '\n'));
        kuyruk.insert(0, parca);
    }
    auto hepsi = Metin::bol(Metin::utf8Onar(kuyruk), '\n', true);
    // The first line may be cut where the reading began.
    if (konum > 0 && !hepsi.empty()) hepsi.erase(hepsi.begin());
    if (hepsi.size() > adet) hepsi.erase(hepsi.begin(), hepsi.end() - static_cast<long>(adet));
    return hepsi;
}

void icerigiSil(int fd, const std::string& yol, const char* birak) {
    auto hata = [](const std::string& y) { return std::system_error(errno, std::generic_category(), y); };
    struct stat st{};
    if (::fstat(fd, &st) != 0) throw hata(yol);
    if ((st.st_mode & S_IRWXU) != S_IRWXU && ::fchmod(fd, st.st_mode | S_IRWXU) != 0) throw hata(yol);
    int kopya = ::dup(fd);
    std::unique_ptr<DIR, int (*)(DIR*)> d(kopya >= 0 ? ::fdopendir(kopya) : nullptr, ::closedir);
    if (!d) {
        if (kopya >= 0) ::close(kopya);
        throw hata(yol);
    }
    std::vector<std::pair<std::string, bool>> girdiler;
    while (dirent* e = ::readdir(d.get())) {
        std::string ad = e->d_name;
        if (ad == "." || ad == ".." || (birak && ad == birak)) continue;
        bool klasor = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat est{};
            klasor = ::fstatat(fd, ad.c_str(), &est, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(est.st_mode);
        }
        girdiler.emplace_back(std::move(ad), klasor);
    }
    for (const auto& [ad, klasor] : girdiler) {
        std::string alt = yol + "/" + ad;
        if (klasor) {
            Fd altFd(::openat(fd, ad.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            // A folder stored unreadable cannot even be opened until it is ours to read.
            if (!altFd && errno == EACCES && ::fchmodat(fd, ad.c_str(), S_IRWXU, 0) == 0)
                altFd.sifirla(::openat(fd, ad.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!altFd) {
                if (errno == ENOENT) continue;
                throw hata(alt);
            }
            icerigiSil(altFd.get(), alt);
        }
        if (::unlinkat(fd, ad.c_str(), klasor ? AT_REMOVEDIR : 0) != 0 && errno != ENOENT) throw hata(alt);
    }
}
