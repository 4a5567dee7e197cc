#include "backup/GercekYol.hpp"

#include <filesystem>

#include "core/Metin.hpp"

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
    return yol == kok || Metin::basliyor(yol, kok + "/");
}

}  // namespace Yedekleme
