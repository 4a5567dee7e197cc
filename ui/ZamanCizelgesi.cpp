#include "ui/ZamanCizelgesi.hpp"

#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "store/Kopyalar.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

double saniye(Saat::Zaman z) { return std::chrono::duration<double>(z.time_since_epoch()).count(); }

// An axis label fitting the zoom: hours within a day, days within a month,
// months beyond.
QString etiket(double zaman, double boy) {
    QDateTime an = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(zaman));
    QLocale yer;
    if (boy <= 2 * 86400) return yer.toString(an.time(), QLocale::ShortFormat);
    if (boy <= 62 * 86400) return yer.toString(an.date(), "d MMM");
    return yer.toString(an.date(), "MMM yyyy");
}

}  // namespace

ZamanCizelgesi::ZamanCizelgesi(QWidget* ust) : QWidget(ust) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(minimumSizeHint().height());
    setAccessibleName(t("Timeline of backups"));
}

void ZamanCizelgesi::kopyalar(const std::vector<std::string>& adlar, const std::optional<std::string>& secili) {
    if (adlar != adlar_) {
        adlar_ = adlar;
        zamanlar_.clear();
        for (const auto& ad : adlar_) zamanlar_.push_back(saniye(Kopyalar::tarih(ad).value_or(Saat::Zaman{})));
    }
    secili_.reset();
    for (size_t i = 0; secili && i < adlar_.size(); ++i)
        if (adlar_[i] == *secili) secili_ = i;
    update();
}

void ZamanCizelgesi::olcek(Kurallar::Olcek o) {
    olcek_ = o;
    update();
}

Kurallar::Aralik ZamanCizelgesi::aralik() const { return Kurallar::cizelgeAraligi(olcek_, zamanlar_, secili_); }

double ZamanCizelgesi::kenar() const { return fontMetrics().horizontalAdvance("00 MMM 0000") / 2.0 + 4; }

double ZamanCizelgesi::x(size_t i) const { return Kurallar::cizelgeX(aralik(), zamanlar_.at(i), width(), kenar()); }

void ZamanCizelgesi::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& renk = palette();
    const int satir = fontMetrics().height();
    const double eksen = height() - satir - 8;  // the axis line; labels below it
    const double ust = satir + 6;                // the selected copy's name above the ticks
    const double k = kenar(), w = width();
    Kurallar::Aralik a = aralik();
    double boy = a.son - a.bas;

    if (hasFocus()) {
        p.setPen(QPen(renk.color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    p.setPen(QPen(renk.color(QPalette::Mid), 1));
    p.drawLine(QPointF(k, eksen), QPointF(w - k, eksen));
    // Five labels along the axis.
    p.setPen(renk.color(QPalette::PlaceholderText));
    for (int i = 0; i <= 4; ++i) {
        double z = a.bas + boy * i / 4;
        double px = Kurallar::cizelgeX(a, z, w, k);
        p.drawLine(QPointF(px, eksen), QPointF(px, eksen + 3));
        QRectF kutu(px - k, eksen + 4, 2 * k, satir);
        p.drawText(kutu, Qt::AlignHCenter | Qt::AlignTop, etiket(z, boy));
    }
    if (zamanlar_.empty()) {
        p.drawText(QRectF(0, 0, w, eksen), Qt::AlignCenter, t("No backups yet"));
        return;
    }
    // Copies outside the stretch are counted at its ends.
    int once = 0, sonra = 0;
    QColor tik = renk.color(QPalette::WindowText);
    p.setPen(QPen(tik, 1.5));
    for (size_t i = 0; i < zamanlar_.size(); ++i) {
        if (zamanlar_[i] < a.bas) { ++once; continue; }
        if (zamanlar_[i] > a.son) { ++sonra; continue; }
        if (secili_ == i) continue;
        double px = Kurallar::cizelgeX(a, zamanlar_[i], w, k);
        p.drawLine(QPointF(px, eksen - 14), QPointF(px, eksen));
    }
    p.setPen(renk.color(QPalette::PlaceholderText));
    if (once) p.drawText(QRectF(2, eksen - 16 - satir, k * 2, satir), Qt::AlignLeft, QString("◂ %1").arg(once));
    if (sonra) p.drawText(QRectF(w - 2 - 2 * k, eksen - 16 - satir, k * 2, satir), Qt::AlignRight, QString("%1 ▸").arg(sonra));
    if (secili_ && zamanlar_[*secili_] >= a.bas && zamanlar_[*secili_] <= a.son) {
        QColor vurgu = renk.color(QPalette::Highlight);
        double px = Kurallar::cizelgeX(a, zamanlar_[*secili_], w, k);
        p.setPen(QPen(vurgu, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(px, ust), QPointF(px, eksen));
        p.setBrush(vurgu);
        p.drawEllipse(QPointF(px, eksen), 4, 4);
        // The copy's date above it, kept inside the widget.
        QString ad = q(Kopyalar::goster(adlar_[*secili_]));
        QFont f = font();
        f.setBold(true);
        double yazi = QFontMetricsF(f).horizontalAdvance(ad) + 8;
        double sol = std::clamp(px - yazi / 2, 0.0, std::max(0.0, w - yazi));
        p.setPen(renk.color(QPalette::WindowText));
        p.setFont(f);
        p.drawText(QRectF(sol, 2, yazi, satir + 2), Qt::AlignCenter, ad);
    }
}

void ZamanCizelgesi::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    auto i = Kurallar::cizelgeVurus(aralik(), zamanlar_, e->position().x(), width(), kenar(), 6);
    if (i) sec(*i);
}

void ZamanCizelgesi::keyPressEvent(QKeyEvent* e) {
    if (zamanlar_.empty()) return QWidget::keyPressEvent(e);
    size_t son = zamanlar_.size() - 1;
    switch (e->key()) {
        case Qt::Key_Left: sec(secili_ ? (*secili_ > 0 ? *secili_ - 1 : 0) : son); break;
        case Qt::Key_Right: sec(secili_ ? std::min(*secili_ + 1, son) : son); break;
        case Qt::Key_Home: sec(0); break;
        case Qt::Key_End: sec(son); break;
        default: QWidget::keyPressEvent(e);
    }
}

void ZamanCizelgesi::sec(size_t i) {
    if (secili_ == i) return;
    secili_ = i;
    update();
    if (secilince) secilince(adlar_[i]);
}
