#include "ui/Cizimler.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/Dosya.hpp"
#include "core/Yerel.hpp"
#include "ui/Model.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

}  // namespace

HizGrafigi::HizGrafigi(const std::deque<Kurallar::HizNoktasi>& noktalar, const double& hiz, QWidget* ust)
    : QWidget(ust), noktalar_(noktalar), hiz_(hiz) {
    setMinimumHeight(80);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void HizGrafigi::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF alan = QRectF(rect()).adjusted(1, 18, -1, -1);
    QColor vurgu = palette().color(QPalette::Highlight);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.drawLine(alan.bottomLeft(), alan.bottomRight());
    const auto& noktalar = noktalar_;
    double hiz = hiz_ > 0 ? hiz_ : noktalar.empty() ? 0 : noktalar.back().hiz;
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRectF(0, 0, width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
               q(Yerel::metin("Speed")) + ": " + (hiz > 0 ? q(bayt(hiz)) + "/s" : QString("–")));
    if (noktalar.size() < 2) return;
    double enCok = 1;
    for (const auto& n : noktalar) enCok = std::max(enCok, n.hiz);
    // The last 120 s across the width, newest at the right edge.
    auto son = noktalar.back().zaman;
    QPainterPath cizgi;
    for (size_t i = 0; i < noktalar.size(); ++i) {
        double yas = std::chrono::duration<double>(son - noktalar[i].zaman).count();
        QPointF n(alan.right() - alan.width() * yas / 120, alan.bottom() - alan.height() * noktalar[i].hiz / enCok);
        i == 0 ? cizgi.moveTo(n) : cizgi.lineTo(n);
    }
    QPainterPath dolgu = cizgi;
    dolgu.lineTo(alan.right(), alan.bottom());
    dolgu.lineTo(cizgi.elementAt(0).x, alan.bottom());
    dolgu.closeSubpath();
    QColor acik = vurgu;
    acik.setAlpha(60);
    p.fillPath(dolgu, acik);
    p.setPen(QPen(vurgu, 2));
    p.drawPath(cizgi);
}

DiskCubugu::DiskCubugu(const Model& m, QWidget* ust) : QWidget(ust), m_(m) {
    setMinimumHeight(44);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void DiskCubugu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cubuk(1, 1, width() - 2, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Midlight));
    p.drawRoundedRect(cubuk, 4, 4);
    p.setPen(palette().color(QPalette::WindowText));
    if (!m_.disk || m_.disk->toplam <= 0) {
        p.drawText(QRectF(0, 22, width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                   q(Yerel::metin("Connect the backup disk to see how full it is.")));
        return;
    }
    const auto& d = *m_.disk;
    double yedek = std::clamp(d.yedek / d.toplam, 0.0, 1.0);
    double dolu = std::clamp((d.toplam - d.bos) / d.toplam, yedek, 1.0);
    QColor vurgu = palette().color(QPalette::Highlight);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Mid));
    p.drawRoundedRect(QRectF(cubuk.x(), cubuk.y(), cubuk.width() * dolu, cubuk.height()), 4, 4);
    p.setBrush(vurgu);
    p.drawRoundedRect(QRectF(cubuk.x(), cubuk.y(), cubuk.width() * yedek, cubuk.height()), 4, 4);
    p.setPen(palette().color(QPalette::WindowText));
    QString metin = q(Yerel::metin("Backups")) + " " + q(bayt(d.yedek)) + "   " + q(Yerel::metin("Other")) + " " +
                    q(bayt(std::max(0.0, d.toplam - d.bos - d.yedek))) + "   " + q(Yerel::metin("Free")) + " " +
                    q(bayt(d.bos)) + "   " + q(Yerel::metin("Total")) + " " + q(bayt(d.toplam));
    p.drawText(QRectF(0, 22, width(), 18), Qt::AlignLeft | Qt::AlignVCenter, metin);
}
