// Where an item is inside a copy and on the computer, and its versions.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/Yol.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Dosya.hpp"

namespace GeriYukle {
namespace {

// Opens `rel` below the open folder `kok` as a path only, passing no symbolic
// link: the kernel refuses one in any component but the last, which is opened
// as the link itself. -1 with errno set otherwise (ELOOP: a link on the way).
int altindaAc(int kok, const std::string& rel, int bayrak) {
    open_how nasil{};
    nasil.flags = static_cast<uint64_t>(O_PATH | O_CLOEXEC | bayrak);
    nasil.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    return static_cast<int>(::syscall(SYS_openat2, kok, rel.c_str(), &nasil, sizeof nasil));
}

// Whether a component of `yol` below `kok` and above its last component is a
// symbolic link. guvenliYol only confines the text; a link in between would
// lead the path anywhere. Missing components are no links; a kernel that
// cannot tell counts as one.
bool araBaglantiVar(const std::string& kok, const std::string& yol) {
    auto k = guvenliYol(kok, ".");
    if (!k || yol.size() <= k->size() + 1) return false;
    std::string rel = yol.substr(k->size() + 1);
    size_t son = rel.rfind('/');
    if (son == std::string::npos) return false;
    Fd kokFd(::open(k->c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (kokFd.get() < 0) return false;
    Fd ara(altindaAc(kokFd.get(), rel.substr(0, son), 0));
    return ara.get() < 0 && (errno == ELOOP || errno == ENOSYS || errno == EXDEV);
}

}  // namespace

std::optional<std::string> kopyaKoku(const std::string& kopya) {
    if (!Kopyalar::tarih(kopya)) return std::nullopt;
    auto kok = guvenliYol(Yol::yedekler(), kopya);
    if (!kok || isSymlink(*kok)) return std::nullopt;
    return kok;
}

std::optional<std::string> kopyaYolu(const std::string& kopya, const std::string& rel) {
    if (!Kopyalar::tarih(kopya)) return std::nullopt;
    auto kok = guvenliYol(Yol::yedekler(), kopya);
    if (!kok) return std::nullopt;
    auto yol = guvenliYol(*kok, rel);
    // The copy's own folder counts as a component in between.
    if (!yol || araBaglantiVar(Yol::yedekler(), *yol)) return std::nullopt;
    return yol;
}

std::optional<std::string> macYolu(const std::string& rel, const Ayarlar& ayarlar) {
    size_t bas = rel.find_first_not_of('/');
    if (bas == std::string::npos) return std::nullopt;
    size_t ayrac = rel.find('/', bas);
    if (ayrac == std::string::npos || ayrac + 1 == rel.size()) return std::nullopt;
    auto klasor = ayarlar.kaynakYolu(rel.substr(bas, ayrac - bas));
    if (!klasor) return std::nullopt;
    auto yol = guvenliYol(*klasor, rel.substr(ayrac + 1));
    if (!yol || *yol == guvenliYol(*klasor, ".")) return std::nullopt;
    if (araBaglantiVar(*klasor, *yol)) return std::nullopt;
    return yol;
}

std::vector<Surum> surumler(const std::string& rel) {
    std::vector<Surum> surumler;
    // The item's path below each copy's folder, or nothing when it leaves it.
    auto goreli = guvenliYol("/", rel);
    Fd yedekler(::open(Yol::yedekler().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!goreli || yedekler.get() < 0) return surumler;
    std::string ic = goreli->substr(1);
    // The file of the previous copy's item; none after a gap or a folder.
    struct {
        bool var = false;
        dev_t aygit = 0;
        ino_t dugum = 0;
    } onceki;
    for (const auto& kopya : Kopyalar::liste(Yol::yedekler())) {
        // One walk per copy that passes no link: as cheap as a plain lstat.
        Fd fd(altindaAc(yedekler.get(), ic.empty() ? kopya : kopya + "/" + ic, O_NOFOLLOW));
        struct stat st{};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
            onceki.var = false;
            continue;
        }
        bool klasor = S_ISDIR(st.st_mode);
        if (!klasor && onceki.var && onceki.aygit == st.st_dev && onceki.dugum == st.st_ino) {
            surumler.back().sonKopya = kopya;
            continue;
        }
        surumler.push_back({kopya, kopya, static_cast<double>(st.st_size), static_cast<double>(st.st_mtim.tv_sec), klasor});
        onceki = {!klasor, st.st_dev, st.st_ino};
    }
    std::reverse(surumler.begin(), surumler.end());
    return surumler;
}

}  // namespace GeriYukle
