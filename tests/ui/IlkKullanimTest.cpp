// As root with a loop-device disk: a person who has never seen the program
// sets it up from the overview, backs up, finds the copy and restores a file,
// then undoes that, with clicks and typing only. The agent is the bundle's
// own, started the way the service manager starts it. A picture of each step
// goes to the test's output.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"
#include "tests/ui/PencereOrtami.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/AyarlarPenceresi.hpp"
#include "ui/Metin.hpp"
#include "ui/KopyaAgaci.hpp"
#include "ui/Model.hpp"
#include "ui/ZamanCizelgesi.hpp"

namespace fs = std::filesystem;
using namespace PencereOrtami;

namespace {

// The window lives while the test waits for `kosul`, at most `saniye`.
bool bekle(const std::function<bool()>& kosul, double saniye = 20) {
    auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    while (!kosul()) {
        if (std::chrono::steady_clock::now() > son) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The service manager as far as the window needs it: a kickstart starts the
// agent at once, detached, and leaves its pid where the test finds it.
std::string servisYoneticisi() {
    std::string pid = TestOrtami::kok() + "/ajan.pid";
    std::string betik = "#!/bin/sh\ncase \"$1\" in\n  kickstart)\n    setsid '" + TestOrtami::calistirilabilir() +
                        "' --ajan </dev/null >>'" + TestOrtami::kok() + "/ajan.out' 2>&1 &\n    echo $! > '" + pid +
                        "'\n    ;;\nesac\nexit 0\n";
    std::string yol = TestOrtami::araclar() + "/launchctl";
    TestOrtami::dosyaYaz(yol, betik);
    fs::permissions(yol, fs::perms::owner_all);
    return pid;
}

QPushButton* gorunenDugme(QWidget& w, const char* metin) {
    QPushButton* d = nullptr;
    bekle([&] { return (d = dugme(w, Arayuz::t(metin))) && d->isEnabled(); });
    return d;
}

}  // namespace

TEST(IlkKullanim, ANewUserSetsUpBacksUpRestoresAFileAndUndoesIt) {
    if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
    uygulama();
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("BRIMVALE_PAROLA");
    unsetenv("BRIMVALE_CEVAP");
    DenemeDiski::yardimcilariKur();
    std::string ajanPid = servisYoneticisi();
    DenemeDiski disk("BRIMILK", 128);
    const std::string ev = TestOrtami::kok() + "/ev";
    TestOrtami::dosyaYaz(ev + "/Belgeler/mektup.txt", "ilk hali\n");
    TestOrtami::dosyaYaz(ev + "/Belgeler/notlar/liste.txt", "süt\nekmek\n");
    TestOrtami::dosyaYaz(ev + "/Resimler/tatil.txt", "deniz\n");

    Model m;
    AnaPencere p(m);
    p.resize(1100, 720);
    p.show();
    ASSERT_TRUE(bekle([&] { return m.izinOlculdu; }));
    kaydet(p, "ilk-1-acilis");

    // The disk, from the guidance's first button.
    gorunenDugme(p, "Choose Disk…")->click();
    auto* ayarlar = p.findChild<AyarlarPenceresi*>();
    ASSERT_TRUE(ayarlar && ayarlar->isVisible());
    auto* diskler = ayarlar->findChild<QComboBox*>("disk");
    int secenek = -1;
    ASSERT_TRUE(bekle([&] { return (secenek = diskler->findText("BRIMILK", Qt::MatchStartsWith)) >= 0; }))
        << "the loop-device disk is offered";
    diskler->setCurrentIndex(secenek);
    // Left connected after the backup, so that the copy can be browsed.
    ayarlar->findChild<QAbstractButton*>("otomatikCikar")->click();
    kaydet(*ayarlar, "ilk-2-disk", true);
    EXPECT_EQ(Ayarlar::yukle().diskUUID, disk.uuid);
    EXPECT_FALSE(Ayarlar::yukle().otomatikCikar);
    ayarlar->hide();

    // The encrypted backup, from the overview, in the sheet.
    gorunenDugme(p, "Create Encrypted Backup…")->click();
    auto* sayfa = p.findChild<QDialog*>();
    ASSERT_TRUE(sayfa && sayfa->isVisible());
    auto alanlar = sayfa->findChildren<QLineEdit*>();
    ASSERT_EQ(alanlar.size(), 2);
    for (auto* alan : alanlar) QTest::keyClicks(alan, "Ilk yedek parolasi");
    kaydet(*sayfa, "ilk-3-sifreli-yedek", true);
    dugme(*sayfa, Arayuz::t("Create"))->click();
    ASSERT_TRUE(bekle([&] { return !sayfa->isVisible(); }, 120)) << TestOrtami::gunluk();
    ASSERT_TRUE(bekle([&] { return m.imajVar == true; }));
    EXPECT_TRUE(fs::exists(disk.yol + "/" + m.ayarlar.imajAdi));

    // Two folders, chosen in the settings the guidance opens.
    gorunenDugme(p, "Add Folders…")->click();
    for (const char* klasor : {"/Belgeler", "/Resimler"}) {
        ayarlar->yolSor = [&](const QString&, const std::string&, bool) { return ev + klasor; };
        ayarlar->findChild<QAbstractButton*>("kaynakEkle")->click();
    }
    kaydet(*ayarlar, "ilk-4-klasorler", true);
    EXPECT_EQ(Ayarlar::yukle().kaynaklar, (std::vector<std::string>{ev + "/Belgeler", ev + "/Resimler"}));
    ayarlar->hide();

    // Back up now: the agent runs it, the window follows.
    gorunenDugme(p, "Back Up Now")->click();
    ASSERT_TRUE(bekle([&] { return fs::exists(ajanPid); })) << "the agent was started";
    pid_t ajan = std::stoi(oku(ajanPid).value_or("0"));
    ASSERT_TRUE(bekle([&] { return !yasiyor(ajan); }, 300)) << TestOrtami::gunluk();
    ASSERT_TRUE(bekle([&] { return !m.gecmis.empty() && !m.a.calisiyor; })) << TestOrtami::gunluk();
    kaydet(p, "ilk-5-yedeklendi");
    EXPECT_FALSE(gorunur(p, Arayuz::t("Set up your backup in four steps")));
    EXPECT_TRUE(Disk::birim(disk.uuid)) << "left connected";

    // The letter changed by mistake afterwards; its backed-up version comes
    // back from the Restore section. Messages are read and closed as shown.
    TestOrtami::dosyaYaz(ev + "/Belgeler/mektup.txt", "yanlislikla degisti\n");
    std::vector<QString> mesajlar;
    QTimer okuyucu;
    QObject::connect(&okuyucu, &QTimer::timeout, [&] {
        if (auto* k = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            mesajlar.push_back(k->text());
            k->accept();
        }
    });
    okuyucu.start(50);
    auto* kenar = p.findChild<QListWidget*>();
    kenar->setCurrentRow(1);
    kaydet(p, "ilk-6-kilitli");
    gorunenDugme(p, "Unlock")->click();
    ASSERT_TRUE(bekle([&] { return !m.kopyalar.empty(); }, 60)) << TestOrtami::gunluk();
    auto* zaman = p.findChild<ZamanCizelgesi*>();
    ASSERT_TRUE(zaman);
    zaman->setFocus();
    // The newest copy, once the timeline shows it.
    ASSERT_TRUE(bekle([&] {
        QTest::keyClick(zaman, Qt::Key_End);
        return m.seciliKopya.has_value();
    }));
    EXPECT_EQ(m.seciliKopya, m.kopyalar.back());
    // The tree of the copy (the versions are a tree view too).
    QTreeView* agac = nullptr;
    ASSERT_TRUE(bekle([&] {
        for (auto* v : p.findChildren<QTreeView*>())
            if (dynamic_cast<KopyaAgaci*>(v->model()) && v->isVisibleTo(&p)) agac = v;
        return agac != nullptr;
    }));
    // The tree as a person opens it: the folder, then the file.
    auto ogeBul = [&](const QModelIndex& ust, const QString& ad) {
        QModelIndex bulunan;
        bekle([&] {
            for (int i = 0; i < agac->model()->rowCount(ust); ++i)
                if (auto c = agac->model()->index(i, 0, ust); c.data().toString() == ad) bulunan = c;
            return bulunan.isValid();
        });
        return bulunan;
    };
    QModelIndex belgeler = ogeBul({}, "Belgeler");
    ASSERT_TRUE(belgeler.isValid());
    agac->expand(belgeler);
    QModelIndex mektup = ogeBul(belgeler, "mektup.txt");
    ASSERT_TRUE(mektup.isValid());
    agac->setCurrentIndex(mektup);
    auto* geriYukle = gorunenDugme(p, "Restore");
    ASSERT_TRUE(geriYukle);
    ASSERT_TRUE(bekle([&] {
        auto* onizleme = gorunen<QPlainTextEdit>(p);
        return onizleme && onizleme->toPlainText() == "ilk hali\n";
    })) << "the preview shows the backed-up text";
    kaydet(p, "ilk-7-geri-yukleme");
    geriYukle->click();
    ASSERT_TRUE(bekle([&] { return oku(ev + "/Belgeler/mektup.txt") == "ilk hali\n"; }));
    ASSERT_TRUE(bekle([&] { return !mesajlar.empty(); }));
    EXPECT_TRUE(mesajlar.back().contains("mektup.txt")) << mesajlar.back().toStdString();

    // Replaced Items: the mistaken version was kept, and one click puts it back.
    kenar->setCurrentRow(2);
    QTreeWidget* liste = nullptr;
    ASSERT_TRUE(bekle([&] { return (liste = gorunen<QTreeWidget>(p)) && liste->topLevelItemCount() == 1; }));
    liste->setCurrentItem(liste->topLevelItem(0));
    kaydet(p, "ilk-8-degistirilenler");
    gorunenDugme(p, "Put the kept copy back in place; the restored version goes to the Trash")->click();
    ASSERT_TRUE(bekle([&] { return oku(ev + "/Belgeler/mektup.txt") == "yanlislikla degisti\n"; }));
    ASSERT_TRUE(bekle([&] { return !m.kayitlar.empty() && m.kayitlar[0].durum == "geri-alindi"; }));
    kaydet(p, "ilk-9-geri-alindi");

    // Locked again, so that the disk can go.
    kenar->setCurrentRow(1);
    gorunenDugme(p, "Lock")->click();
    EXPECT_TRUE(bekle([&] { return m.a.imaj == Disk::Baglanti::yok; }, 30));
}
