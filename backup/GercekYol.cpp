#include "backup/GercekYol.hpp"

#include <filesystem>

#include "temel/Metin.hpp"
#include "core/Yol.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {

std::string gercekYol(const std::string& yol) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(yol, ec);
    // A mount whose server is gone answers with an error: its path as written.
    if (ec) p = fs::absolute(yol, ec).lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

bool altinda(const std::string& yol, const std::string& kok) {
    if (kok.empty() || yol.empty()) return false;
    if (kok == "/") return yol[0] == '/';
    return yol == kok || yol.starts_with(kok + "/");
}

std::optional<std::string> mntHaric(const std::string& kaynak) {
    std::string k = gercekYol(kaynak);
    std::string mnt = gercekYol(Yol::mnt());
    if (mnt == k || !altinda(mnt, k)) return std::nullopt;
    std::string ic = mnt.substr(k == "/" ? 1 : k.size() + 1);
    // A pattern with a wildcard reads backslashes as escapes; one without is
    // taken literally.
    if (ic.find_first_of("*?[") != std::string::npos) {
        std::string kacik;
        for (char c : ic) {
            if (c == '*' || c == '?' || c == '[' || c == '\\') kacik += '\\';
            kacik += c;
        }
        ic = kacik;
    }
    return "--exclude=/" + ic + "/";
}

}  // namespace Yedekleme
