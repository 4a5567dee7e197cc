#include "ui/Pencereler.hpp"

#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/Ikon.hpp"
#include "ui/IzinEkrani.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/SoruPenceresi.hpp"
#include "ui/Tepsi.hpp"
#include "update/Guncelleyici.hpp"

namespace {

bool yedekCalisiyor() { return Yedekleme::calisanPid().has_value(); }

// One window application per user and state folder: a second start brings
// the first one's window forward and ends.
QString tekAd() {
    auto ozet = QCryptographicHash::hash(QByteArray::fromStdString(Yol::durum()), QCryptographicHash::Sha256);
    return QString("brimvale-%1-%2").arg(::getuid()).arg(QString::fromLatin1(ozet.toHex().left(12)));
}

bool digeriniOneGetir() {
    QLocalSocket s;
    s.connectToServer(tekAd());
    if (!s.waitForConnected(500)) return false;
    s.write("goster\n");
    s.waitForBytesWritten(500);
    return true;
}

void yenilikleriGoster(QWidget* ust) {
    QMessageBox::information(
        ust, QString::fromStdString(Yerel::bicim("What's New in Ondrak Brimvale %@", {UygulamaBilgisi::surum()})),
        QString::fromStdString(Yerel::metin(
            "Backups start by themselves when the backup disk is connected.\n\n"
            "A backup can be started, followed and answered in a terminal too (--yedekle).\n\n"
            "Updates are checked once a day, signed by the maker, and never installed while a backup runs.\n\n"
            "Help › Create Support Report… collects what is needed to help you, without any password.")));
}

void oneGetir(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

// The tray: the symbol follows the state; its menu has the header, the
// status line, the postponed line and the items.
void tepsiKur(Model& m, AnaPencere& pencere, QObject* sahip) {
    auto* tepsi = new QSystemTrayIcon(sahip);
    auto* menu = new QMenu(&pencere);
    auto yenile = [&m, &pencere, tepsi, menu] {
        tepsi->setIcon(Semboller::ikon(Kurallar::menuSembolu(m.a)));
        tepsiMenusu(m, menu, [&pencere] { oneGetir(&pencere); }, [&pencere] { pencere.ayarlariAc(0); });
    };
    yenile();
    QObject::connect(&m, &Model::degisti, menu, [yenile, menu] {
        if (!menu->isVisible()) yenile();
    });
    QObject::connect(tepsi, &QSystemTrayIcon::activated, &pencere, [&pencere](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) oneGetir(&pencere);
    });
    tepsi->setContextMenu(menu);
    tepsi->setToolTip("Ondrak Brimvale");
    tepsi->show();
}

}  // namespace

namespace Pencereler {

int calistir(int argc, char** argv) {
    // Qt would abort without a display; say what to do instead.
    auto var = [](const char* ad) { return std::getenv(ad) && *std::getenv(ad); };
    if (!var("DISPLAY") && !var("WAYLAND_DISPLAY") && !var("QT_QPA_PLATFORM")) {
        std::cerr << Yerel::metin("The windows need a graphical desktop, and none was found. The command line works "
                                  "without one: see --help.")
                  << "\n";
        return 1;
    }
    QApplication uygulama(argc, argv);
    uygulama.setApplicationName("Ondrak Brimvale");
    uygulama.setDesktopFileName("com.ondrak.brimvale");
    uygulama.setWindowIcon(QIcon(QPixmap::fromImage(Ikon::ciz(256))));
    if (digeriniOneGetir()) return 0;
    QLocalServer tek;
    QLocalServer::removeServer(tekAd());
    tek.listen(tekAd());

    Model m;
    AnaPencere pencere(m);
    QObject::connect(&tek, &QLocalServer::newConnection, &pencere, [&] {
        while (auto* s = tek.nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            oneGetir(&pencere);
        }
    });
    // Without a tray, closing the window ends the application.
    bool tepsiVar = QSystemTrayIcon::isSystemTrayAvailable();
    uygulama.setQuitOnLastWindowClosed(!tepsiVar);
    if (tepsiVar) tepsiKur(m, pencere, &uygulama);
    pencere.show();
    // Once per version, after the window is up.
    if (m.yeniliklerAcik) QTimer::singleShot(0, &pencere, [&] {
            yenilikleriGoster(&pencere);
            m.yenilikleriGordu();
        });
    // The permissions, once measured, when one of them is missing.
    IzinEkrani izinler(m);
    QObject::connect(&m, &Model::degisti, &izinler, [&] {
        if (!m.izinOlculdu) return;
        izinler.guncelle();
        static bool gosterildi = false;
        bool hepsi = m.izin.tamDisk && m.izin.bildirim && m.izin.arkaPlan;
        if (!hepsi && !gosterildi) {
            gosterildi = true;
            oneGetir(&izinler);
        }
    });
    // The question comes to the front while the agent waits for an answer.
    SoruPenceresi soru(m);
    QObject::connect(&m, &Model::degisti, &soru, [&] {
        if (m.soruAcik && m.ozet) {
            soru.guncelle();
            if (!soru.isVisible()) oneGetir(&soru);
        } else {
            soru.hide();
        }
    });

    std::thread([] { Kurulum::uygulamaBasladi(yedekCalisiyor); }).detach();
    Guncelleyici::ortak().baslat(yedekCalisiyor);
    return uygulama.exec();
}

}  // namespace Pencereler
