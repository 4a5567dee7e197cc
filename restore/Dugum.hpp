#pragma once
// Browsing one copy: a node of its tree whose children are read when first
// asked for, and a name search.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class Dugum;
using DugumListesi = std::vector<std::shared_ptr<Dugum>>;

// A node is shared by the views that show it; equal when `id` and `kopya` are.
class Dugum {
public:
    Dugum(std::string id, std::string kopya, bool klasor);

    const std::string id;  // the node's rel; "" is the copy's root
    const std::string ad;  // the last component of id
    const bool klasor;
    const std::string kopya;

    // A folder's children, read on first access and then kept; nothing for
    // anything that is not a folder.
    const std::optional<DugumListesi>& cocuklar();

    // The children of a folder of a copy: folders first, then the rest, each
    // in the order a file browser shows names. Empty when unreadable.
    static DugumListesi oku(const std::string& kopya, const std::string& rel);

    bool operator==(const Dugum& o) const { return id == o.id && kopya == o.kopya; }

private:
    std::once_flag okundu_;
    std::optional<DugumListesi> cocuklar_;
};

template <>
struct std::hash<Dugum> {
    size_t operator()(const Dugum& d) const noexcept {
        return std::hash<std::string>()(d.id) ^ (std::hash<std::string>()(d.kopya) << 1);
    }
};

namespace Arama {

inline constexpr size_t kEnCok = 500;

// The items of a copy whose name contains `metin`, ignoring case and
// diacritical marks, depth first; at most kEnCok; stops when `iptal` says so.
DugumListesi ara(const std::string& kopya, const std::string& metin, const std::function<bool()>& iptal);

}  // namespace Arama
