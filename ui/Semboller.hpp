#pragma once
// The symbols the program names, as icons of the desktop's theme, with a
// standard icon of the style where the theme has none.
#include <QIcon>
#include <string>

namespace Semboller {

QIcon ikon(const std::string& sembol);

}  // namespace Semboller
