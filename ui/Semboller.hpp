#pragma once
// The symbols the program names, as icons of the desktop's theme; where the
// theme has none, our own drawing from the bundle's Resources/ikonlar.
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <string>

namespace Semboller {

QIcon ikon(const std::string& sembol);

// A text with a symbol of `boyut` pixels beside its first line.
QHBoxLayout* yaninda(const std::string& sembol, int boyut, QLabel* yazi);

}  // namespace Semboller
