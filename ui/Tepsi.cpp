#include "ui/Tepsi.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidgetAction>

#include "core/Yerel.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

// A line of the menu that is read, not chosen: symbol and text, in a colour.
void satir(QMenu* menu, const std::string& sembol, const QString& metin, const char* renk = nullptr) {
    auto* kutu = new QWidget(menu);
    auto* y = new QHBoxLayout(kutu);
    y->setContentsMargins(12, 3, 12, 3);
    auto* ikon = new QLabel(kutu);
    ikon->setPixmap(Semboller::ikon(sembol).pixmap(16, 16));
    auto* yazi = new QLabel(metin, kutu);
    if (renk) yazi->setStyleSheet(QString("color: %1; font-weight: bold").arg(renk));
    y->addWidget(ikon);
    y->addWidget(yazi, 1);
    auto* eylem = new QWidgetAction(menu);
    eylem->setDefaultWidget(kutu);
    eylem->setEnabled(false);
    menu->addAction(eylem);
}

}  // namespace

void tepsiMenusu(Model& m, QMenu* menu, const std::function<void()>& pencereyiAc,
                 const std::function<void()>& ayarlariAc) {
    menu->clear();
    menu->addSection("Ondrak Brimvale");
    menu->addAction(QString::fromStdString(m.sonYedekMetni()))->setEnabled(false);
    if (auto s = Kurallar::durumSatiri(m.a, m.mesgul))
        satir(menu, s->sembol, QString::fromStdString(s->metin), s->kirmizi ? "#c0392b" : "#d35400");
    if (m.a.erteleme) satir(menu, "arrow.triangle.2.circlepath", t("Backup postponed: waiting for you"));
    menu->addSeparator();
    QObject::connect(menu->addAction(t("Open Ondrak Brimvale")), &QAction::triggered, menu, pencereyiAc);
    QObject::connect(menu->addAction(t("Back Up Now")), &QAction::triggered, &m, [&m] { m.simdiYedekle(); });
    if (ayarlariAc) QObject::connect(menu->addAction(t("Settings…")), &QAction::triggered, menu, ayarlariAc);
    QObject::connect(menu->addAction(t("Quit")), &QAction::triggered, qApp, &QApplication::quit);
}
