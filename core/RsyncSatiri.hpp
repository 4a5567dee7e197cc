#pragma once
// One line of the copy tool's itemized change listing.
#include <optional>
#include <string>
#include <string_view>

namespace Rsync {

struct Satir {
    std::string kod;  // the change code ("del" for a deletion)
    std::string yol;  // the path relative to the source, unescaped
    bool operator==(const Satir&) const = default;
};

// Decodes the copy tool's \#ooo escapes of a name.
std::string kacisCoz(std::string_view s);
// Writes a name the same way, so that it stays on one line and inside its
// quotes: control bytes, '"' and '\' become \#ooo.
std::string kacisYap(std::string_view s);

// Nothing when the line is neither a deletion nor an itemized line.
std::optional<Satir> satirCoz(const std::string& satir);

}  // namespace Rsync
