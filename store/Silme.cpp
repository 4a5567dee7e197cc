// Deleting one copy.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "store/Kopyalar.hpp"

namespace Kopyalar {
namespace {

[[noreturn]] void silmeHatasi(const std::string& yol) { throw std::system_error(errno, std::generic_category(), yol); }

// Empties the folder open at `fd` in one walk. Copies may be stored with
// read-only folders, so a folder is made writable before its entries go, but
// only when it is not; entry kinds come from the directory listing, so a
// file costs one call, which counts through the encrypted image.
void icerigiSil(int fd, const std::string& yol) {
    struct stat st{};
    if (::fstat(fd, &st) != 0) silmeHatasi(yol);
    if ((st.st_mode & S_IRWXU) != S_IRWXU && ::fchmod(fd, st.st_mode | S_IRWXU) != 0) silmeHatasi(yol);
    int kopya = ::dup(fd);
    std::unique_ptr<DIR, int (*)(DIR*)> d(kopya >= 0 ? ::fdopendir(kopya) : nullptr, ::closedir);
    if (!d) silmeHatasi(yol);
    std::vector<std::pair<std::string, bool>> girdiler;
    while (dirent* e = ::readdir(d.get())) {
        std::string ad = e->d_name;
        if (ad == "." || ad == "..") continue;
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
            int altFd = ::openat(fd, ad.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (altFd < 0) silmeHatasi(alt);
            try {
                icerigiSil(altFd, alt);
            } catch (...) {
                ::close(altFd);
                throw;
            }
            ::close(altFd);
        }
        if (::unlinkat(fd, ad.c_str(), klasor ? AT_REMOVEDIR : 0) != 0) silmeHatasi(alt);
    }
}

}  // namespace

void sil(const std::string& ad, const std::string& kok) {
    auto yol = guvenliYol(kok, ad);
    bool gecerli = (tarih(ad) || ad == ".devam") && yol && *yol != guvenliYol(kok, ".");
    if (!gecerli) throw BrimvaleHatasi(1, "refused to delete " + ad);
    struct stat st{};
    // A link named like a copy is removed as a link; its target is not ours.
    if (::lstat(yol->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        int fd = ::open(yol->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) silmeHatasi(*yol);
        try {
            icerigiSil(fd, *yol);
        } catch (...) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
    std::filesystem::remove_all(*yol);
    std::remove((metaKlasoru() + "/" + ad + ".json").c_str());
}

}  // namespace Kopyalar
