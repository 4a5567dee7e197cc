#include "ui/Ikon.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <filesystem>
#include <utility>

namespace Ikon {

QImage ciz(int boyut) {
    QImage resim(boyut, boyut, QImage::Format_ARGB32_Premultiplied);
    resim.fill(Qt::transparent);
    QPainter p(&resim);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(boyut / 100.0, boyut / 100.0);
    // A rounded tile, so the icon reads on light and dark panels alike.
    QLinearGradient zemin(0, 0, 0, 100);
    zemin.setColorAt(0, QColor(0x2f, 0x80, 0xd1));
    zemin.setColorAt(1, QColor(0x1c, 0x4f, 0x8c));
    p.setPen(Qt::NoPen);
    p.setBrush(zemin);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 20, 20);
    // The circular arrow: most of a circle, its head at the top left.
    QPen kalem(Qt::white, 7, Qt::SolidLine, Qt::RoundCap);
    p.setPen(kalem);
    p.setBrush(Qt::NoBrush);
    QRectF daire(22, 22, 56, 56);
    p.drawArc(daire, 120 * 16, -300 * 16);
    double aci = 120 * M_PI / 180;
    QPointF uc(50 + 28 * std::cos(aci), 50 - 28 * std::sin(aci));
    QPainterPath bas;
    bas.moveTo(uc + QPointF(-9, -3));
    bas.lineTo(uc + QPointF(4, -9));
    bas.lineTo(uc + QPointF(3, 6));
    bas.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(bas);
    // The clock's hands.
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 50), QPointF(50, 34));
    p.drawLine(QPointF(50, 50), QPointF(61, 57));
    return resim;
}

int komut(Komutlar::Istek& istek) {
    const std::string& klasor = istek.arg(1);
    static const std::pair<const char*, int> boyutlar[] = {
        {"16x16", 16},    {"16x16@2x", 32},   {"32x32", 32},   {"32x32@2x", 64},   {"128x128", 128},
        {"128x128@2x", 256}, {"256x256", 256}, {"256x256@2x", 512}, {"512x512", 512}, {"512x512@2x", 1024}};
    std::error_code ec;
    std::filesystem::create_directories(klasor, ec);
    for (const auto& [ad, boyut] : boyutlar) {
        std::string yol = klasor + "/icon_" + ad + ".png";
        if (!ciz(boyut).save(QString::fromStdString(yol), "PNG")) {
            Komutlar::hata(std::runtime_error("cannot write " + yol));
        }
    }
    return 0;
}

}  // namespace Ikon
