// Where an item is inside a copy and on the computer, and its versions.
#include <sys/stat.h>

#include <algorithm>

#include "core/Yol.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Dosya.hpp"

namespace GeriYukle {
namespace {

// Whether a component of `yol` below `kok` and above its last component is a
// symbolic link. guvenliYol only confines the text; a link in between would
// lead the path anywhere. Missing components are no links.
bool araBaglantiVar(const std::string& kok, const std::string& yol) {
    auto k = guvenliYol(kok, ".");
    if (!k || yol.size() <= k->size()) return false;
    size_t son = yol.rfind('/');
    for (size_t i = yol.find('/', k->size() + 1); i != std::string::npos && i <= son && i > k->size();
         i = yol.find('/', i + 1)) {
        struct stat st{};
        std::string ara = yol.substr(0, i);
        if (::lstat(ara.c_str(), &st) != 0) return false;
        if (S_ISLNK(st.st_mode)) return true;
    }
    return false;
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
    // The file of the previous copy's item; none after a gap or a folder.
    struct {
        bool var = false;
        dev_t aygit = 0;
        ino_t dugum = 0;
    } onceki;
    for (const auto& kopya : Kopyalar::liste(Yol::yedekler())) {
        auto yol = kopyaYolu(kopya, rel);
        if (!yol) continue;
        struct stat st{};
        if (::lstat(yol->c_str(), &st) != 0) {
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
