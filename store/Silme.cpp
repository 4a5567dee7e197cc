// Deleting one copy, and what a deletion cut short left behind.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Hata.hpp"
#include "platform/Platform.hpp"
#include "temel/Metin.hpp"
#include "store/Kopyalar.hpp"

namespace Kopyalar {
namespace {

[[noreturn]] void silmeHatasi(const std::string& yol) { throw std::system_error(errno, std::generic_category(), yol); }

// Removes a folder with everything below it, or a single entry. A link is
// removed as a link; its target is not ours. A missing entry is fine.
void agaciSil(const std::string& yol) {
    struct stat st{};
    if (::lstat(yol.c_str(), &st) != 0) {
        if (errno == ENOENT) return;
        silmeHatasi(yol);
    }
    if (S_ISDIR(st.st_mode)) {
        Fd fd(::open(yol.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd) silmeHatasi(yol);
        icerigiSil(fd.get(), yol);
    }
    if (::remove(yol.c_str()) != 0 && errno != ENOENT) silmeHatasi(yol);
}

void bilgiSil(const std::string& ad) { std::remove((metaKlasoru() + "/" + ad + ".json").c_str()); }

}  // namespace

std::string silinecekAdi(const std::string& ad) { return silinecekOnek + ad; }

void sil(const std::string& ad, const std::string& kok, bool simdi) {
    auto yol = guvenliYol(kok, ad);
    auto gizli = guvenliYol(kok, silinecekAdi(ad));
    bool gecerli = (tarih(ad) || ad == ".devam") && yol && gizli && *yol != guvenliYol(kok, ".");
    if (!gecerli) throw BrimvaleHatasi(1, "refused to delete " + ad);
    struct stat st{};
    if (::lstat(yol->c_str(), &st) == 0) {
        // Out of the list in one step, so a deletion cut short never leaves a
        // half copy that still looks like a copy.
        agaciSil(*gizli);
        if (::rename(yol->c_str(), gizli->c_str()) != 0) silmeHatasi(*yol);
        // Its statistics go while the hidden tree still shows that a
        // deletion is underway: cut short after this, the tree is all that
        // is left, and the next cleanup finds it.
        bilgiSil(ad);
        if (simdi) agaciSil(*gizli);
        return;
    }
    if (errno != ENOENT) silmeHatasi(*yol);
    bilgiSil(ad);
}

std::vector<std::string> artiklariSil(const std::string& kok, bool hizli) {
    std::vector<std::string> adlar;
    {
        std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(kok.c_str()), ::closedir);
        if (!d) return {};
        while (dirent* e = ::readdir(d.get()))
            if (std::string_view(e->d_name).starts_with(silinecekOnek)) adlar.emplace_back(e->d_name);
    }
    std::vector<std::string> silinen;
    for (const auto& gizli : adlar) {
        auto yol = guvenliYol(kok, gizli);
        if (!yol) continue;
        bool diskte = false;
        try {
            if (!hizli) {
                agaciSil(*yol);
            } else if (auto neden = Platform::agaciHizliSil(*yol)) {
                Gunluk::yaz("NOTE: " + gizli + " removed through the image: " + *neden);
                agaciSil(*yol);
            } else {
                diskte = true;
            }
        } catch (const std::exception& e) {
            Gunluk::yaz("WARNING: could not remove an interrupted deletion: " + gizli + ": " + e.what());
            continue;
        }
        // Cut short before its statistics went; a copy made again under the
        // name keeps its own.
        std::string ad = gizli.substr(std::strlen(silinecekOnek));
        auto kopya = guvenliYol(kok, ad);
        struct stat st{};
        if (tarih(ad) && kopya && ::lstat(kopya->c_str(), &st) != 0) bilgiSil(ad);
        Gunluk::yaz(std::string("NOTE: removed what an earlier deletion left") + (diskte ? " (on the disk): " : ": ") +
                    gizli);
        silinen.push_back(gizli);
    }
    return silinen;
}

}  // namespace Kopyalar
