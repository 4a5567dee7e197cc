// The windows drawn offscreen from a private state folder: the pictures a
// person would see, saved as PNG files beside the test's output, and the
// main window's behaviour that needs Qt.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QStackedWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeView>
#include <QFileDialog>
#include <QListView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QKeyEvent>
#include <atomic>
#include <fstream>
#include <functional>
#include <future>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "backup/Karar.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Dosya.hpp"
#include "core/Tercihler.hpp"
#include "core/Yol.hpp"
#include "temel/Metin.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"
#include "tests/ui/PencereOrtami.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/Cizimler.hpp"
#include "ui/GeriYuklemeSayfasi.hpp"
#include "ui/ZamanCizelgesi.hpp"
#include "ui/IzinEkrani.hpp"
#include "ui/Kaldir.hpp"
#include "ui/Semboller.hpp"
#include "ui/Model.hpp"
#include "ui/SoruPenceresi.hpp"
#include "ui/Tepsi.hpp"

using namespace PencereOrtami;

TEST(Pencere, TheOverviewSaysWhereThingsStand) {
    uygulama();
    Model m;
    durdur(m);
    AnaPencere p(m);
    kaydet(p, "genel-bosta");
    EXPECT_TRUE(gorunur(p, "Connect the backup disk to back up"));
    EXPECT_TRUE(gorunur(p, "No backup yet"));

    // During a copy: the stage, the percentage and the bytes.
    m.a.asama = "esitleme";
    m.a.calisiyor = true;
    m.a.toplamBayt = 8e9;
    m.a.bitenBayt = 3e9;
    m.a.hiz = 50e6;
    p.guncelle();
    kaydet(p, "genel-kopyalama");
    EXPECT_TRUE(gorunur(p, "Backing up"));
    EXPECT_TRUE(gorunur(p, "37 %"));
    EXPECT_TRUE(gorunur(p, "3 GB / 8 GB"));
}

TEST(Pencere, TheFirstStartLeadsThroughItsStepsInOrder) {
    uygulama();
    Model m;
    durdur(m);
    AnaPencere p(m);
    kaydet(p, "ilk-baslangic");
    EXPECT_TRUE(gorunur(p, "Set up your backup in four steps"));
    auto* disk = dugme(p, "Choose Disk…");
    auto* imaj = dugme(p, "Create Encrypted Backup…");
    auto* yedek = dugme(p, "Back Up Now");
    ASSERT_TRUE(disk && imaj && dugme(p, "Add Folders…") && yedek);
    EXPECT_TRUE(disk->isDefault());
    EXPECT_FALSE(imaj->isEnabled()) << "no disk to create it on";

    // The disk chosen but away: the next step waits for it.
    m.ayarlar.diskUUID = "D1SK";
    p.guncelle();
    EXPECT_FALSE(dugme(p, "Choose Disk…"));
    EXPECT_TRUE(imaj->isDefault());
    EXPECT_FALSE(imaj->isEnabled());
    EXPECT_TRUE(gorunur(p, "Connect the backup disk to go on."));

    // Connected without an image: one click creates it.
    m.imajVar = false;
    m.imajsizBirim = Birim{"D1SK", "Yedek", TestOrtami::kok(), 5e11, 4e11};
    p.guncelle();
    EXPECT_TRUE(imaj->isEnabled());
    EXPECT_FALSE(gorunur(p, "Connect the backup disk to go on."));
    imaj->click();
    EXPECT_TRUE(p.findChild<QDialog*>() && p.findChild<QDialog*>()->isVisible());
    p.findChild<QDialog*>()->reject();

    // The image there: folders next, and backing up only once there are some.
    m.imajVar = true;
    m.imajsizBirim.reset();
    p.guncelle();
    EXPECT_TRUE(dugme(p, "Add Folders…")->isDefault());
    EXPECT_FALSE(yedek->isEnabled());
    m.ayarlar.kaynaklar = {TestOrtami::kok()};
    p.guncelle();
    EXPECT_TRUE(yedek->isEnabled());
    kaydet(p, "ilk-baslangic-son-adim");

    // A copy made: nothing left to set up.
    m.kopyalar = {"2026-12-07_101500"};
    p.guncelle();
    EXPECT_FALSE(gorunur(p, "Set up your backup in four steps"));
}

TEST(Pencere, AFailedBackupShowsItsResultWithAdvice) {
    uygulama();
    YedekSonucu("sorun", "Backup failed", "The disk is full.", std::string("Delete old backups or use a larger disk."),
                {"Documents/a.txt"}, "rsync: write failed: No space left on device (28)")
        .yaz();
    TestOrtami::dosyaYaz(Yol::asama(), "bosta\t1700000000\thata\n");
    Model m;
    durdur(m);
    AnaPencere p(m);
    kaydet(p, "genel-hata");
    EXPECT_TRUE(gorunur(p, "Backup failed"));
    EXPECT_TRUE(gorunur(p, "Delete old backups or use a larger disk."));
    EXPECT_TRUE(gorunur(p, "Last backup failed"));
}

TEST(Pencere, TheLogSectionHidesTechnicalLinesAndStartsFromBolum) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "gunluk", 1);
    std::string gunluk;
    for (int i = 1; i <= 600; ++i) gunluk += "2026-12-07 10:00:00 line " + std::to_string(i) + "\n";
    gunluk += "2026-12-07 10:00:01 [rsync] technical detail\n";
    TestOrtami::dosyaYaz(Yol::gunluk(), gunluk);
    Model m;
    durdur(m);
    AnaPencere p(m);
    p.guncelle();
    kaydet(p, "gunluk");
    auto* sayfalar = p.findChild<QStackedWidget*>();
    ASSERT_TRUE(sayfalar);
    EXPECT_EQ(sayfalar->currentIndex(), 3);
    auto* metin = gorunen<QPlainTextEdit>(p);
    ASSERT_TRUE(metin);
    QString yazi = metin->toPlainText();
    EXPECT_TRUE(yazi.endsWith("line 600\n")) << yazi.right(80).toStdString();
    EXPECT_FALSE(yazi.contains("line 100\n"));
}

namespace {

Ozet silinenli(int adet, bool esik) {
    Ozet o;
    o.yeni = 3;
    o.degisen = 2;
    o.esik = esik;
    for (int i = 0; i < adet; ++i)
        o.silinen.push_back({i, "Belgeler/rapor-" + std::to_string(i) + ".txt", 2048.0 * (i + 1), 1765000000.0 + i});
    for (const auto& f : o.silinen) o.silinenBayt += f.boy;
    if (adet) o.enCok = {{"Belgeler", adet, o.silinenBayt}};
    return o;
}

std::optional<Karar> karar() { return jsonOku<Karar>(Yedekleme::kararYolu()); }

}  // namespace

TEST(SoruPenceresi, WithoutDeletionsThePlainPageAnswersEachWay) {
    uygulama();
    struct {
        const char* dugme;
        const char* islem;
    } durumlar[] = {{"Back Up", "yedekle"}, {"Eject Disk", "cikar"}, {"Not Now", "iptal"}};
    for (const auto& d : durumlar) {
        std::remove(Yedekleme::kararYolu().c_str());
        Model m;
    durdur(m);
        m.ozet = silinenli(0, true);  // no deletions: the plain page, whatever the threshold says
        SoruPenceresi w(m);
        w.guncelle();
        EXPECT_TRUE(gorunur(w, "Back up now?"));
        EXPECT_TRUE(gorunur(w, "3 new and 2 changed files since the last backup. Nothing was deleted."));
        EXPECT_TRUE(gorunur(w, "This will be the first backup."));
        if (std::string(d.islem) == "yedekle") kaydet(w, "soru-duz", true);
        auto* b = dugme(w, d.dugme);
        ASSERT_TRUE(b) << d.dugme;
        b->click();
        auto k = karar();
        ASSERT_TRUE(k) << d.dugme;
        EXPECT_EQ(k->islem, d.islem);
        EXPECT_TRUE(k->sec.empty());
    }
}

TEST(SoruPenceresi, MarkedDeletedFilesAreCountedAndGoIntoTheDecision) {
    uygulama();
    Model m;
    durdur(m);
    m.ozet = silinenli(4, true);
    SoruPenceresi w(m);
    w.guncelle();
    EXPECT_TRUE(gorunur(w, "Many files were deleted"));
    EXPECT_TRUE(gorunur(w, "4 files (20 KB) were deleted since the last backup."));
    EXPECT_TRUE(gorunur(w, "Mostly in: Belgeler (4)"));
    ASSERT_TRUE(dugme(w, "Back Up"));
    ASSERT_TRUE(dugme(w, "Mark All"));

    // Two marks in the list.
    auto* liste = w.findChild<QTreeWidget*>();
    ASSERT_TRUE(liste);
    liste->topLevelItem(1)->setCheckState(3, Qt::Checked);
    liste->topLevelItem(3)->setCheckState(3, Qt::Checked);
    EXPECT_TRUE(dugme(w, "Restore 2 and Back Up"));
    kaydet(w, "soru-silinenler-liste", true);

    // Every mark, then none.
    dugme(w, "Mark All")->click();
    EXPECT_TRUE(dugme(w, "Restore 4 and Back Up"));
    ASSERT_TRUE(dugme(w, "Unmark All"));
    dugme(w, "Unmark All")->click();
    EXPECT_TRUE(dugme(w, "Back Up"));

    // A picture clicked marks its file; the list shows it too.
    auto* resimler = w.findChild<QListWidget*>();
    ASSERT_TRUE(resimler);
    for (auto* d : w.findChildren<QToolButton*>())
        if (d->text() == "Thumbnails") d->click();
    emit resimler->itemClicked(resimler->item(2));
    EXPECT_EQ(liste->topLevelItem(2)->checkState(3), Qt::Checked);
    kaydet(w, "soru-silinenler-resimler", true);
    dugme(w, "Restore 1 and Back Up")->click();
    auto k = karar();
    ASSERT_TRUE(k);
    EXPECT_EQ(k->islem, "yedekle");
    EXPECT_EQ(k->sec, std::vector<int>{2});
}

TEST(SoruPenceresi, BelowTheThresholdTheHeaderSaysFilesWereDeleted) {
    uygulama();
    Model m;
    durdur(m);
    m.ozet = silinenli(1, false);
    SoruPenceresi w(m);
    w.guncelle();
    EXPECT_FALSE(gorunur(w, "Many files were deleted"));
    EXPECT_TRUE(gorunur(w, "Files were deleted on this computer"));
}

TEST(Ikon, TheTenIconFilesHaveTheirPixelSizes) {
    uygulama();
    std::string klasor = TestOrtami::kok() + "/ikon";
    auto c = TestOrtami::calistir({"--ikon", klasor});
    ASSERT_EQ(c.kod, 0) << c.hata;
    std::pair<const char*, int> beklenen[] = {
        {"16x16", 16},       {"16x16@2x", 32},   {"32x32", 32},       {"32x32@2x", 64},   {"128x128", 128},
        {"128x128@2x", 256}, {"256x256", 256},   {"256x256@2x", 512}, {"512x512", 512},   {"512x512@2x", 1024}};
    for (const auto& [ad, boyut] : beklenen) {
        QImage resim(QString::fromStdString(klasor + "/icon_" + ad + ".png"));
        EXPECT_EQ(resim.size(), QSize(boyut, boyut)) << ad;
        // Drawn, not empty: the centre of the tile is opaque.
        if (!resim.isNull()) {
            EXPECT_EQ(qAlpha(resim.pixel(boyut / 2, boyut / 5)), 255) << ad;
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(klasor), {}), 10);
}

TEST(Model, StoppingAPausedBackupEndsIt) {
    uygulama();
    // A stand-in for the engine in a process group of its own.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setpgid(0, 0);
        ::pause();
        ::_exit(0);
    }
    ::setpgid(pid, pid);
    Model m;
    durdur(m);
    m.a.pid = pid;
    m.sinyal(SIGSTOP);
    int durum = 0;
    ASSERT_EQ(::waitpid(pid, &durum, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(durum));
    m.sinyal(SIGTERM);
    // A stopped process would never end: give it 5 s, then clean up.
    pid_t biten = 0;
    for (int i = 0; i < 50 && biten == 0; ++i) {
        biten = ::waitpid(pid, &durum, WNOHANG);
        if (biten == 0) ::usleep(100000);
    }
    if (biten == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &durum, 0);
    }
    EXPECT_EQ(biten, pid) << "still stopped";
    EXPECT_TRUE(WIFSIGNALED(durum) && WTERMSIG(durum) == SIGTERM);
}

TEST(Model, ARestoreInPlaceRunsOffTheWindowAndSaysWhatItKept) {
    uygulama();
    DenemeDiski::yardimcilariKur();
    const std::string kopya = "2024-01-01_100000", mac = TestOrtami::kok() + "/mac/Belgeler";
    TestOrtami::dosyaYaz(Yol::yedekler() + "/" + kopya + "/Belgeler/mektup.txt", "eski hali\n");
    TestOrtami::dosyaYaz(mac + "/mektup.txt", "yeni hali\n");
    Model m;
    durdur(m);
    m.ayarlar.kaynaklar = {mac};
    QEventLoop dongu;
    QObject::connect(&m, &Model::degisti, &dongu, &QEventLoop::quit);
    m.yerineKoy(kopya, "Belgeler/mektup.txt");
    dongu.exec();
    ASSERT_TRUE(m.mesaj);
    EXPECT_TRUE(m.mesaj->starts_with("“mektup.txt” was restored. The current version was kept next to it as “mektup"))
        << *m.mesaj;
    EXPECT_EQ(oku(mac + "/mektup.txt"), "eski hali\n");
    ASSERT_EQ(m.kayitlar.size(), 1u);
    EXPECT_EQ(oku(*m.kayitlar[0].damgali), "yeni hali\n");
}

TEST(Tepsi, TheMenuSaysWhetherTheDiskMayBeUnplugged) {
    uygulama();
    Model m;
    durdur(m);
    struct {
        const char* ne;
        bool calisiyor, diskBagli, ertelendi;
        const char* satir;  // "" for none
    } durumlar[] = {
        {"a backup runs", true, true, false, "Backup in progress: do not unplug the disk"},
        {"the disk is mounted", false, true, true, "Eject the disk before unplugging it"},
        {"no disk", false, false, false, ""},
    };
    for (const auto& d : durumlar) {
        m.a.calisiyor = d.calisiyor;
        m.a.diskBagli = d.diskBagli;
        m.a.erteleme = d.ertelendi ? std::optional(Saat::simdi()) : std::nullopt;
        QMenu menu;
        tepsiMenusu(m, &menu, [] {});
        QString metin;
        for (auto* l : menu.findChildren<QLabel*>()) metin += l->text() + "\n";
        EXPECT_EQ(metin.contains("unplug"), *d.satir != '\0') << d.ne;
        if (*d.satir) {
            EXPECT_TRUE(metin.contains(d.satir)) << d.ne;
        }
        EXPECT_EQ(metin.contains("Backup postponed: waiting for you"), d.ertelendi) << d.ne;
        if (d.calisiyor) {
            menu.adjustSize();
            menu.show();
            QApplication::processEvents();
            menu.grab().save(QString::fromStdString(ekran("tepsi")));
        }
    }
}

TEST(Model, WhatsNewIsDueOncePerVersion) {
    uygulama();
    {
        Model m;
        durdur(m);
        EXPECT_TRUE(m.yeniliklerAcik);
        m.yenilikleriGordu();
    }
    Model m;
    durdur(m);
    EXPECT_FALSE(m.yeniliklerAcik);
    // Another version's record: due again.
    Tercihler::yaz("yeniliklerSurumu", "0.0.1");
    Model sonraki;
    durdur(sonraki);
    EXPECT_TRUE(sonraki.yeniliklerAcik);
}

TEST(KopyalarSayfasi, ARestoreIsListedWithItsStatusAndCanBeUndone) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "kopyalar", 1);
    std::string mac = TestOrtami::kok() + "/mac/Belgeler", hedef = mac + "/mektup.txt",
                damgali = mac + "/mektup (replaced 2026-12-01 100000).txt";
    TestOrtami::dosyaYaz(hedef, "geri yuklenen\n");
    TestOrtami::dosyaYaz(damgali, "onceki hali\n");
    GeriYukleme g;
    g.id = "k1";
    g.zaman = 1764583200;  // long ago: the overview reminds of it
    g.rel = "Belgeler/mektup.txt";
    g.kopya = "2024-01-01_100000";
    g.hedef = hedef;
    g.damgali = damgali;
    g.durum = "duruyor";
    GeriYukleme eski = g;
    eski.id = "k0";
    eski.durum = "geri-alindi";
    GeriYukle::kaydet({eski, g});
    Model m;
    durdur(m);
    AnaPencere p(m);
    p.guncelle();
    kaydet(p, "degistirilenler");
    auto* liste = gorunen<QTreeWidget>(p);
    ASSERT_TRUE(liste);
    ASSERT_EQ(liste->topLevelItemCount(), 1) << "the undone one is hidden";
    EXPECT_EQ(liste->topLevelItem(0)->text(2), "Kept");

    liste->topLevelItem(0)->setSelected(true);
    QEventLoop dongu;
    QObject::connect(&m, &Model::degisti, &dongu, &QEventLoop::quit);
    auto* geriAl = dugme(p, "Put the kept copy back in place; the restored version goes to the Trash");
    ASSERT_TRUE(geriAl);
    geriAl->click();
    dongu.exec();
    EXPECT_EQ(oku(hedef), "onceki hali\n");
    EXPECT_FALSE(std::filesystem::exists(damgali));
    ASSERT_EQ(m.kayitlar.size(), 2u);
    EXPECT_EQ(m.kayitlar[1].durum, "geri-alindi");
}

TEST(Kaldir, TheUninstallQuestionRefusesWhileABackupRuns) {
    uygulama();
    Model m;
    durdur(m);
    ASSERT_TRUE(Yedekleme::kilitAl());
    // Answer the question as a person would, once it shows.
    QTimer::singleShot(0, [] {
        auto* soru = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(soru);
        EXPECT_EQ(soru->text(), "Uninstall Ondrak Brimvale?");
        for (auto* d : soru->buttons())
            if (d->text() == "Uninstall") d->click();
    });
    kaldirmayiSor(m, nullptr);
    Yedekleme::kilidiBirak();
    ASSERT_TRUE(m.mesaj);
    EXPECT_EQ(*m.mesaj, "A backup is running. Try again when it is done.");
    EXPECT_TRUE(std::filesystem::exists(Yol::durum()));
}

TEST(IzinEkrani, RowsTurnToOnAsTheModelSeesTheGrants) {
    uygulama();
    Model m;
    durdur(m);
    m.izin = {true, false, false};
    IzinEkrani w(m);
    w.guncelle();
    kaydet(w, "izinler", true);
    EXPECT_TRUE(gorunur(w, "Waiting for the permissions…"));
    EXPECT_FALSE(gorunur(w, "macOS")) << "the Linux wording of the introduction";
    EXPECT_FALSE(dugme(w, "Open Settings"));
    EXPECT_TRUE(dugme(w, "Allow"));
    EXPECT_TRUE(dugme(w, "Turn On"));
    m.izin = {true, true, true};
    w.guncelle();
    EXPECT_FALSE(dugme(w, "Allow") || dugme(w, "Turn On"));
    EXPECT_TRUE(gorunur(w, "All set"));
}

// As root with a loop-device disk: the agent's real run waits at the
// question, the window shows it, and a click lets the run back up.
TEST(SoruPenceresi, ARealRunWaitingForTheAnswerGoesOnAfterAClick) {
    if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
    uygulama();
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    DenemeDiski disk("BRIMSORU", 128);
    const char* parola = "Soru parolasi 4";
    ::setenv("BRIMVALE_PAROLA", parola, 1);
    std::string kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
    for (int i = 0; i < 20; ++i) TestOrtami::dosyaYaz(kaynak + "/belge" + std::to_string(i) + ".txt", "metin\n");
    Ayarlar ayarlar;
    ayarlar.diskUUID = disk.uuid;
    ayarlar.kaynaklar = {kaynak};
    ayarlar.seyrelt = false;
    ayarlar.kaydet();
    Birim birim{disk.uuid, disk.etiket, disk.yol, Disk::toplamYer(disk.yol), Disk::bosYer(disk.yol)};
    ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, parola), std::nullopt);

    // The agent, as the service manager starts it: no preset answer.
    ::unsetenv("BRIMVALE_CEVAP");
    pid_t ajan = TestOrtami::baslat({"--ajan"});
    Model m;
    durdur(m);
    SoruPenceresi w(m);
    // Refresh until the question is open (at most a minute).
    for (int i = 0; i < 600 && !(m.soruAcik && m.ozet); ++i) {
        QEventLoop dongu;
        QObject::connect(&m, &Model::degisti, &dongu, &QEventLoop::quit);
        QTimer::singleShot(100, &dongu, &QEventLoop::quit);
        m.yenile();
        dongu.exec();
    }
    if (!(m.soruAcik && m.ozet)) {
        ::kill(-ajan, SIGKILL);
        ::waitpid(ajan, nullptr, 0);
        FAIL() << "the run never asked\n" << TestOrtami::gunluk();
    }
    w.guncelle();
    EXPECT_TRUE(gorunur(w, "Back up now?"));
    EXPECT_TRUE(gorunur(w, "20 new and 0 changed files since the last backup. Nothing was deleted."));
    dugme(w, "Back Up")->click();
    int durum = 0;
    ASSERT_EQ(::waitpid(ajan, &durum, 0), ajan);
    EXPECT_TRUE(WIFEXITED(durum) && WEXITSTATUS(durum) == 0) << TestOrtami::gunluk();
    EXPECT_EQ(Metin::bol(Metin::kirp(oku(Yol::asama()).value_or("")), '\t', false).at(2), "bitti")
        << TestOrtami::gunluk();
}

TEST(HizGrafigi, TheLast120SecondsOfSpeedAreDrawn) {
    uygulama();
    Kurallar::HizOlcer olcer;
    Anlik a;
    a.asama = "esitleme";
    // Two minutes of a copy that speeds up and slows down again.
    auto t0 = Saat::simdi();
    for (int i = 0; i <= 80; ++i) {
        a.bitenBayt += 1.5 * (40e6 + 30e6 * std::sin(i / 9.0));
        olcer.ekle(a, t0 + std::chrono::milliseconds(1500 * i));
    }
    double hiz = olcer.gecmis().back().hiz;
    HizGrafigi g(olcer.gecmis(), hiz);
    g.resize(640, 140);
    kaydet(g, "hiz-grafigi", true);
    QImage resim = g.grab().toImage();
    // The line reaches up into the upper half somewhere and the fill is there.
    int dolu = 0;
    for (int x = 0; x < resim.width(); x += 4)
        for (int y = 20; y < resim.height() / 2; y += 2) dolu += resim.pixelColor(x, y) != resim.pixelColor(0, resim.height() - 3);
    EXPECT_GT(dolu, 20);
}

TEST(Pencere, TheOverviewRemindsOfAnOldBackup) {
    uygulama();
    Model m;
    durdur(m);
    AnaPencere p(m);
    KopyaBilgisi k;
    k.ad = Kopyalar::yeniAd(Saat::simdi() - std::chrono::hours(24 * 9));
    m.gecmis = {k};
    p.guncelle();
    EXPECT_TRUE(gorunur(p, "Your last backup was 9 days ago."));
    k.ad = Kopyalar::yeniAd(Saat::simdi() - std::chrono::hours(24 * 6));
    m.gecmis = {k};
    p.guncelle();
    EXPECT_FALSE(gorunur(p, "days ago"));
}

TEST(Semboller, EverySymbolShowsOnABareDesktopWithOurOwnDrawings) {
    uygulama();
    const char* semboller[] = {"externaldrive.badge.timemachine", "externaldrive.fill.badge.timemachine",
                               "internaldrive", "clock.arrow.circlepath", "arrow.triangle.2.circlepath",
                               "pause.circle", "eject", "exclamationmark.triangle", "exclamationmark.triangle.fill",
                               "exclamationmark.octagon.fill", "checkmark.circle.fill", "checkmark.seal.fill",
                               "circle", "trash.circle.fill", "doc.on.doc", "list.bullet", "list.bullet.rectangle",
                               "square.grid.2x2", "bell.badge", "gearshape", "folder", "lifepreserver", "hourglass"};
    // A sheet of them all, at two sizes.
    QImage sayfa(48 * 24, 120, QImage::Format_ARGB32);
    sayfa.fill(Qt::white);
    QPainter p(&sayfa);
    int x = 0;
    for (const char* s : semboller) {
        QIcon ikon = Semboller::ikon(s);
        QPixmap resim = ikon.pixmap(48, 48);
        EXPECT_FALSE(resim.isNull()) << s;
        // Drawn by us: a picture at any size, not a style's small bitmap.
        EXPECT_GE(ikon.pixmap(96, 96).width(), 96) << s << ": not scalable";
        p.drawPixmap(x, 4, resim);
        p.drawPixmap(x + 12, 70, ikon.pixmap(24, 24));
        x += 48;
    }
    p.end();
    sayfa.save(QString::fromStdString(ekran("semboller")));
}

namespace {

// Lets the window's queued work arrive until `kosul` holds (at most 10 s).
bool bekle(const std::function<bool()>& kosul) {
    for (int i = 0; i < 1000 && !kosul(); ++i) {
        QEventLoop dongu;
        QTimer::singleShot(10, &dongu, &QEventLoop::quit);
        dongu.exec();
    }
    return kosul();
}

const std::string kIlkKopya = "2026-12-01_100000", kSonKopya = "2026-12-03_100000";

// Two copies as the backup leaves them: the second hard-links what did not
// change. Only folders: no image is needed to browse them.
void kopyalariKur() {
    std::string ilk = Yol::yedekler() + "/" + kIlkKopya + "/Belgeler", son = Yol::yedekler() + "/" + kSonKopya + "/Belgeler";
    for (const char* klasor : {"Zeta", "B klasor", "a1 klasor"}) {
        std::filesystem::create_directories(ilk + "/" + klasor);
        std::filesystem::create_directories(son + "/" + klasor);
    }
    TestOrtami::dosyaYaz(ilk + "/a10.txt", "on\n");
    TestOrtami::dosyaYaz(ilk + "/a2.txt", "iki\n");
    TestOrtami::dosyaYaz(ilk + "/not.txt", "Eski not: süt, ekmek\n");
    TestOrtami::dosyaYaz(son + "/not.txt", "Yeni not: süt, ekmek, peynir\n");
    QImage resim(480, 300, QImage::Format_RGB32);
    QPainter boya(&resim);
    QLinearGradient renk(0, 0, 480, 300);
    renk.setColorAt(0, QColor(40, 110, 200));
    renk.setColorAt(1, QColor(240, 180, 60));
    boya.fillRect(resim.rect(), renk);
    boya.setBrush(Qt::white);
    boya.drawEllipse(QPoint(240, 150), 80, 80);
    boya.end();
    ASSERT_TRUE(resim.save(QString::fromStdString(ilk + "/tatil.png")));
    for (const char* ad : {"a10.txt", "a2.txt", "tatil.png"})
        std::filesystem::create_hard_link(ilk + "/" + ad, son + "/" + ad);
}

GeriYuklemeSayfasi* geriSayfasi(AnaPencere& p) { return p.findChild<GeriYuklemeSayfasi*>(); }

// The copy's tree: the one tree view that is not a list of rows.
QTreeView* kopyaAgaci(QWidget& w) {
    for (auto* v : w.findChildren<QTreeView*>())
        if (!qobject_cast<QTreeWidget*>(v)) return v;
    return nullptr;
}

std::vector<std::string> satirlar(QAbstractItemModel* m, const QModelIndex& ust = {}) {
    std::vector<std::string> s;
    for (int i = 0; i < m->rowCount(ust); ++i) s.push_back(m->index(i, 0, ust).data().toString().toStdString());
    return s;
}

}  // namespace

TEST(GeriYukleme, TheTimelinePicksACopyWhoseTreeListsFoldersFirstAndPreviewsAFile) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "geriYukle", 1);
    kopyalariKur();
    Model m;
    durdur(m);
    m.a.imaj = Disk::Baglanti::okuma;
    m.ayarlar.kaynaklar = {TestOrtami::kok() + "/mac/Belgeler"};
    ASSERT_EQ(m.kopyalar, (std::vector<std::string>{kIlkKopya, kSonKopya}));
    AnaPencere p(m);
    p.guncelle();
    p.show();
    EXPECT_TRUE(gorunur(p, "Choose a backup in the timeline above to browse its files."));

    // A click on the older copy's tick, then the right arrow to the newer one.
    auto* zaman = p.findChild<ZamanCizelgesi*>();
    ASSERT_TRUE(zaman);
    QPointF nokta(zaman->x(0), zaman->height() / 2.0);
    QMouseEvent tik(QEvent::MouseButtonPress, nokta, zaman->mapToGlobal(nokta), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(zaman, &tik);
    EXPECT_EQ(m.seciliKopya, kIlkKopya);
    QKeyEvent sag(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(zaman, &sag);
    EXPECT_EQ(m.seciliKopya, kSonKopya);

    auto* agac = kopyaAgaci(p);
    ASSERT_TRUE(agac);
    auto* model = agac->model();
    ASSERT_TRUE(bekle([&] { return model->rowCount() > 0; }));
    EXPECT_EQ(satirlar(model), std::vector<std::string>{"Belgeler"});
    QModelIndex belgeler = model->index(0, 0);
    agac->expand(belgeler);
    ASSERT_TRUE(bekle([&] { return model->rowCount(belgeler) > 0; }));
    EXPECT_EQ(satirlar(model, belgeler), (std::vector<std::string>{"a1 klasor", "B klasor", "Zeta", "a2.txt",
                                                                   "a10.txt", "not.txt", "tatil.png"}));

    // The picture: one version, held by both copies, shown inline.
    agac->setCurrentIndex(model->index(6, 0, belgeler));
    QTreeWidget* liste = nullptr;
    for (auto* s : p.findChildren<QTreeWidget*>())
        if (s->headerItem()->text(0) == "Modified") liste = s;
    ASSERT_TRUE(liste);
    QLabel* resim = nullptr;
    ASSERT_TRUE(bekle([&] {
        for (auto* l : p.findChildren<QLabel*>())
            if (l->isVisibleTo(&p) && !l->pixmap().isNull() && l->pixmap().width() == 480) resim = l;
        return resim != nullptr;
    }));
    ASSERT_EQ(liste->topLevelItemCount(), 1);
    EXPECT_TRUE(liste->topLevelItem(0)->text(2).contains("–")) << "from the first copy to the last";
    EXPECT_TRUE(dugme(p, "Restore") && dugme(p, "Restore")->isEnabled());
    EXPECT_TRUE(dugme(p, "Save As…"));
    kaydet(p, "geri-yukleme-resim");

    // Another program sees a copy of the version, never the backup's own file.
    SahteArac acici(TestOrtami::araclar(), "open");
    ASSERT_TRUE(dugme(p, "Open a Copy"));
    dugme(p, "Open a Copy")->click();
    geriSayfasi(p)->havuz().waitForDone();
    auto cagrilar = acici.cagrilar();
    ASSERT_EQ(cagrilar.size(), 1u);
    ASSERT_EQ(cagrilar[0].args.size(), 1u);
    std::string acilan = cagrilar[0].args[0], asil = Yol::yedekler() + "/" + kSonKopya + "/Belgeler/tatil.png";
    EXPECT_TRUE(acilan.ends_with("/tatil.png")) << acilan;
    EXPECT_FALSE(acilan.starts_with(Yol::mnt())) << acilan;
    EXPECT_EQ(baytlariOku(acilan), baytlariOku(asil));
    EXPECT_NE(TestOrtami::durum(acilan).st_ino, TestOrtami::durum(asil).st_ino);
    auto klasor = std::filesystem::path(acilan).parent_path();
    EXPECT_EQ(std::filesystem::status(klasor).permissions() &
                  (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none)
        << "a folder of its own, closed to others";
    std::filesystem::remove_all(klasor);

    // The note changed between the copies: two versions, the selected copy's shown.
    agac->setCurrentIndex(model->index(5, 0, belgeler));
    auto* metin = geriSayfasi(p)->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(metin);
    ASSERT_TRUE(bekle([&] { return metin->isVisibleTo(&p) && !metin->toPlainText().isEmpty(); }));
    EXPECT_EQ(liste->topLevelItemCount(), 2);
    EXPECT_EQ(metin->toPlainText(), "Yeni not: süt, ekmek, peynir\n");
    liste->setCurrentItem(liste->topLevelItem(1));
    ASSERT_TRUE(bekle([&] { return metin->toPlainText().startsWith("Eski"); }));
    kaydet(p, "geri-yukleme-metin");
    {
        // Readable on a dark desktop too: the drawings take the palette's colours.
        QPalette koyu;
        koyu.setColor(QPalette::Window, QColor(45, 45, 48));
        koyu.setColor(QPalette::WindowText, QColor(230, 230, 230));
        koyu.setColor(QPalette::Base, QColor(30, 30, 32));
        koyu.setColor(QPalette::Text, QColor(230, 230, 230));
        koyu.setColor(QPalette::Button, QColor(60, 60, 64));
        koyu.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        koyu.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
        koyu.setColor(QPalette::Mid, QColor(110, 110, 110));
        koyu.setColor(QPalette::Highlight, QColor(60, 130, 220));
        koyu.setColor(QPalette::HighlightedText, Qt::white);
        QPalette onceki = p.palette();
        p.setPalette(koyu);
        kaydet(p, "geri-yukleme-koyu");
        p.setPalette(onceki);
    }

    // A backed-up folder itself has no place to go back to.
    agac->setCurrentIndex(belgeler);
    ASSERT_TRUE(bekle([&] { return liste->topLevelItemCount() == 2 && liste->topLevelItem(0)->text(1) == "Folder"; }));
    EXPECT_FALSE(dugme(p, "Restore")->isEnabled());
    geriSayfasi(p)->havuz().waitForDone();
}

TEST(GeriYukleme, SaveAsAsksForAFolderWithSaveHereAndCopiesTheVersionThere) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "geriYukle", 1);
    DenemeDiski::yardimcilariKur();
    kopyalariKur();
    std::string hedef = TestOrtami::kok() + "/masaustu";
    std::filesystem::create_directories(hedef);
    Model m;
    durdur(m);
    m.a.imaj = Disk::Baglanti::okuma;
    m.seciliKopya = kIlkKopya;
    AnaPencere p(m);
    p.guncelle();
    p.show();  // a tree view opens folders only when shown
    auto* agac = kopyaAgaci(p);
    auto* model = agac->model();
    ASSERT_TRUE(bekle([&] { return model->rowCount() > 0; }));
    QModelIndex belgeler = model->index(0, 0);
    agac->expand(belgeler);
    ASSERT_TRUE(bekle([&] { return model->rowCount(belgeler) == 7; }));
    agac->setCurrentIndex(model->index(5, 0, belgeler));  // not.txt
    ASSERT_TRUE(bekle([&] { auto* d = dugme(p, "Save As…"); return d && d->isEnabled(); }));

    // Hidden, so that the message waits in the model instead of a box.
    p.hide();
    // The chooser, answered as a person would once it shows.
    QString dugmeMetni;
    QTimer::singleShot(0, [&] {
        auto* secici = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(secici);
        for (auto* d : secici->findChildren<QPushButton*>())
            if (d->isVisible() && d->text() == "Save Here") dugmeMetni = d->text();
        secici->setDirectory(QString::fromStdString(hedef));
        secici->selectFile(QString::fromStdString(hedef));
        static_cast<QDialog*>(secici)->accept();
    });
    QEventLoop dongu;
    QObject::connect(&m, &Model::degisti, &dongu, &QEventLoop::quit);
    dugme(p, "Save As…")->click();
    dongu.exec();
    EXPECT_EQ(dugmeMetni, "Save Here");
    ASSERT_TRUE(m.mesaj);
    EXPECT_EQ(*m.mesaj, "“not.txt” was restored.");
    EXPECT_EQ(oku(hedef + "/not.txt"), "Eski not: süt, ekmek\n") << "the version of the copy chosen";
    geriSayfasi(p)->havuz().waitForDone();
}

TEST(GeriYukleme, ANewerSearchReplacesTheOlderOneAndOnlyItsResultsShow) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "geriYukle", 1);
    kopyalariKur();
    std::string klasor = Yol::yedekler() + "/" + kSonKopya + "/Belgeler/raporlar";
    std::filesystem::create_directories(klasor);
    for (int i = 0; i < 600; ++i) std::ofstream(klasor + "/Rapor " + std::to_string(i) + ".pdf");
    Model m;
    durdur(m);
    m.a.imaj = Disk::Baglanti::okuma;
    m.seciliKopya = kSonKopya;
    AnaPencere p(m);
    p.guncelle();
    auto* sayfa = geriSayfasi(p);
    ASSERT_TRUE(sayfa);

    // The first search is held until the test lets it go, and then answers
    // whatever it was told: only the section's bookkeeping keeps it out.
    std::promise<void> birak;
    std::shared_future<void> birakildi = birak.get_future().share();
    // Let go also when an assertion ends the test early: the section waits
    // for its workers when it goes.
    bool birakti = false;
    auto serbest = [&] {
        if (!std::exchange(birakti, true)) birak.set_value();
    };
    struct Sonunda {
        std::function<void()> is;
        ~Sonunda() { is(); }
    } sonunda{serbest};
    std::atomic<bool> basladi{false}, iptalGordu{false};
    sayfa->aramaIsi = [&, birakildi](const std::string& kopya, const std::string& metin,
                                    const std::function<bool()>& iptal) -> DugumListesi {
        if (metin != "eski") return Arama::ara(kopya, metin, iptal);
        basladi = true;
        birakildi.wait();
        iptalGordu = iptal();
        return {std::make_shared<Dugum>("Belgeler/eski sonuc.txt", kopya, false)};
    };
    auto* arama = p.findChild<QLineEdit*>();
    ASSERT_TRUE(arama);
    arama->setText("eski");
    ASSERT_TRUE(bekle([&] { return basladi.load(); }));
    arama->setText("rapor");
    QListView* liste = nullptr;
    for (auto* l : p.findChildren<QListView*>())
        if (!qobject_cast<QListWidget*>(l)) liste = l;  // not the sidebar
    ASSERT_TRUE(liste);
    ASSERT_TRUE(bekle([&] { return gorunur(p, "500 items found"); }));
    serbest();
    sayfa->havuz().waitForDone();
    QApplication::processEvents();
    EXPECT_TRUE(iptalGordu) << "the older search was told to stop";
    ASSERT_EQ(liste->model()->rowCount(), 500);
    for (int i = 0; i < liste->model()->rowCount(); ++i) {
        QString ad = liste->model()->index(i, 0).data().toString();
        ASSERT_TRUE(ad.startsWith("Belgeler/raporlar")) << ad.toStdString();
    }
    EXPECT_TRUE(gorunur(p, "Only the first 500 are shown."));
    kaydet(p, "geri-yukleme-arama");

    // An emptied field brings the tree back.
    arama->clear();
    EXPECT_TRUE(kopyaAgaci(p)->isVisibleTo(&p));
    EXPECT_FALSE(liste->isVisibleTo(&p));
}

TEST(GeriYukleme, EachStateSaysWhyInASentenceAndLockedOffersUnlockAndTheHistory) {
    uygulama();
    ::setenv("BRIMVALE_BOLUM", "geriYukle", 1);
    Model m;
    durdur(m);
    KopyaBilgisi eski, yeni;
    eski.ad = "2026-11-20_090000";
    eski.dosyaSayisi = 1200;
    eski.toplamBoyut = 3.5e9;
    yeni.ad = "2026-12-02_181500";
    yeni.dosyaSayisi = 1250;
    yeni.yeni = 50;
    yeni.degisen = 4;
    yeni.toplamBoyut = 3.6e9;
    m.gecmis = {eski, yeni};
    AnaPencere p(m);
    p.guncelle();
    EXPECT_TRUE(gorunur(p, "Your backups are locked."));
    ASSERT_TRUE(dugme(p, "Unlock"));
    QTreeWidget* gecmis = nullptr;
    for (auto* t : p.findChildren<QTreeWidget*>())
        if (t->isVisibleTo(&p)) gecmis = t;
    ASSERT_TRUE(gecmis);
    ASSERT_EQ(gecmis->topLevelItemCount(), 2);
    EXPECT_EQ(gecmis->topLevelItem(0)->text(1), "1250") << "newest first";
    EXPECT_EQ(gecmis->topLevelItem(1)->text(2), "–") << "a count the history does not know";
    kaydet(p, "geri-yukleme-kilitli");
    // Without the disk the model says what to do; hidden, so no message box waits.
    p.hide();
    dugme(p, "Unlock")->click();
    ASSERT_TRUE(m.mesaj);
    EXPECT_EQ(*m.mesaj, "Connect the backup disk first.");

    struct {
        const char* ne;
        std::vector<std::string> kopyalar;
        std::optional<std::string> secili;
        const char* cumle;
    } durumlar[] = {
        {"no copies", {}, std::nullopt, "There are no backups in this image yet."},
        {"none selected", {kIlkKopya}, std::nullopt, "Choose a backup in the timeline above"},
    };
    m.a.imaj = Disk::Baglanti::okuma;
    for (const auto& d : durumlar) {
        m.kopyalar = d.kopyalar;
        m.seciliKopya = d.secili;
        p.guncelle();
        EXPECT_TRUE(gorunur(p, d.cumle)) << d.ne;
        EXPECT_FALSE(dugme(p, "Unlock")) << d.ne;
        EXPECT_TRUE(dugme(p, "Lock")) << d.ne;
    }
}
