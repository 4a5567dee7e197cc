// Deleting one copy.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "store/Kopyalar.hpp"

namespace Kopyalar {
namespace {

// Copies may be stored with read-only folders; removing their entries needs
// write permission on each folder. Files are hard links shared with other
// copies and are left alone.
void klasorleriAc(const std::string& yol) {
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(yol.c_str()), ::closedir);
    if (!d) return;
    while (dirent* e = ::readdir(d.get())) {
        std::string ad = e->d_name;
        if (ad == "." || ad == "..") continue;
        std::string alt = yol + "/" + ad;
        struct stat st{};
        if (::lstat(alt.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        ::chmod(alt.c_str(), 0700);
        klasorleriAc(alt);
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
        ::chmod(yol->c_str(), 0700);
        klasorleriAc(*yol);
    }
    std::filesystem::remove_all(*yol);
    std::remove((metaKlasoru() + "/" + ad + ".json").c_str());
}

}  // namespace Kopyalar
