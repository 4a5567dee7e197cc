#pragma once
// Shared by the recovery kit's tests: the built bundle, a fake hdiutil that
// packs its source folder the way the installer image is made, and file
// listings for checking what the kit wrote.
#include <filesystem>
#include <string>
#include <vector>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace KitOrtami {

inline std::string paket() {
    return std::filesystem::path(TestOrtami::calistirilabilir()).parent_path().parent_path().parent_path().string();
}

// create -quiet -format UDZO -volname NAME -srcfolder SRC TARGET
inline SahteArac hdiutil() {
    SahteArac h(TestOrtami::araclar(), "hdiutil");
    h.betik("tar -czf \"$9\" -C \"$(dirname \"$8\")\" \"$(basename \"$8\")\" || exit 1");
    return h;
}

inline std::vector<std::string> dosyalar(const std::string& kok) {
    std::vector<std::string> sonuc;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(kok, ec), son; !ec && it != son; it.increment(ec))
        if (it->is_regular_file()) sonuc.push_back(it->path().string());
    return sonuc;
}

// An applications folder of its own, so no inventory looks at the machine's.
inline std::string uygulamalar() {
    std::string k = TestOrtami::kok() + "/Uygulamalar";
    std::filesystem::create_directories(k);
    setenv("BRIMVALE_UYGULAMALAR", k.c_str(), 1);
    return k;
}

}  // namespace KitOrtami
