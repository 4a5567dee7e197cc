#pragma once
// Texts for the windows: the engine's UTF-8 strings as Qt's, translated
// through the same catalogs, and a wrapping label.
#include <QLabel>
#include <QString>
#include <string>
#include <vector>

#include "core/Yerel.hpp"

namespace Arayuz {

inline QString q(const std::string& s) { return QString::fromStdString(s); }
// Translated.
inline QString t(const char* s) { return q(Yerel::metin(s)); }
// Translated and filled in.
inline QString b(const char* s, const std::vector<std::string>& degerler) { return q(Yerel::bicim(s, degerler)); }

// A label that wraps, `buyutme` points larger, bold when asked.
inline QLabel* yazi(const QString& metin, QWidget* ust, int buyutme = 0, bool kalin = false) {
    auto* l = new QLabel(metin, ust);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() + buyutme);
    f.setBold(kalin);
    l->setFont(f);
    return l;
}

}  // namespace Arayuz
