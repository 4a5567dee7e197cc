#pragma once
// The change check: one dry run of the copy tool per source against the
// previous copy, summarised for the question and the room estimate.
#include <optional>
#include <string>

#include "backup/Ozet.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Ayarlar.hpp"

namespace Yedekleme {

std::string ozetYolu();

// A source's name is a folder inside every copy and inside .devam: a name
// such as ".." (from a path ending in "/..") would aim the copy tool's
// --delete at the store itself.
bool kaynakAdiGecerli(const std::string& ad);

// Parses the dry-run listings already in the work folder; `son` is the
// previous copy the sources were compared with.
Ozet ozetCikar(const Ayarlar& ayarlar, const std::optional<std::string>& son);

struct Degisiklik {
    Ozet ozet;
    std::optional<std::string> son;   // the previous copy compared with
    std::optional<YedekSonucu> hata;  // the run ends; the result is saved
};

// Prepares a fresh work folder, runs the dry runs, writes ozet.json and logs
// the check line. A missing source, a source that holds the backup disk
// (`birim`, its mount point) or the image, or a failed dry run is logged, its
// result saved and returned; the caller notifies and ends the run.
Degisiklik degisiklikBul(const Ayarlar& ayarlar, bool elle, const std::optional<std::string>& birim = std::nullopt);

}  // namespace Yedekleme
