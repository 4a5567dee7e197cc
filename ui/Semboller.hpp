#pragma once
// The symbols the program names, as icons of the desktop's theme; where the
// theme has none, our own drawing from the bundle's Resources/ikonlar.
#include <QIcon>
#include <string>

namespace Semboller {

QIcon ikon(const std::string& sembol);

}  // namespace Semboller
