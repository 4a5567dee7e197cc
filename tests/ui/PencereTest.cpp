// The windows drawn offscreen from a private state folder: the pictures a
// person would see, saved as PNG files beside the test's output, and the
// main window's behaviour that needs Qt.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QPlainTextEdit>
#include <cstdlib>
#include <filesystem>

#include "backup/YedekSonucu.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/Model.hpp"

namespace {

QApplication& uygulama() {
    static int argc = 1;
    static char ad[] = "ui_pencere_testleri";
    static char* argv[] = {ad, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication a(argc, argv);
    return a;
}

// Where the pictures go: BRIMVALE_EKRAN or the build folder's "ekran".
std::string ekran(const std::string& ad) {
    const char* k = std::getenv("BRIMVALE_EKRAN");
    std::string klasor = k && *k ? k : std::string(BRIMVALE_EKRAN_KLASORU);
    std::filesystem::create_directories(klasor);
    return klasor + "/" + ad + ".png";
}

void kaydet(QWidget& w, const std::string& ad) {
    w.resize(1100, 720);
    w.show();
    QApplication::processEvents();
    ASSERT_TRUE(w.grab().save(QString::fromStdString(ekran(ad))));
    std::cout << "screenshot: " << ekran(ad) << "\n";
}

template <typename T>
std::vector<QString> metinler(QWidget& w) {
    std::vector<QString> m;
    for (auto* l : w.findChildren<T*>())
        if (l->isVisibleTo(&w)) m.push_back(l->text());
    return m;
}

bool gorunur(QWidget& w, const QString& metin) {
    for (const auto& m : metinler<QLabel>(w))
        if (m.contains(metin)) return true;
    return false;
}

}  // namespace

TEST(Pencere, TheOverviewSaysWhereThingsStand) {
    uygulama();
    Model m;
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

TEST(Pencere, AFailedBackupShowsItsResultWithAdvice) {
    uygulama();
    YedekSonucu("sorun", "Backup failed", "The disk is full.", std::string("Delete old backups or use a larger disk."),
                {"Documents/a.txt"}, "rsync: write failed: No space left on device (28)")
        .yaz();
    TestOrtami::dosyaYaz(Yol::asama(), "bosta\t1700000000\thata\n");
    Model m;
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
    AnaPencere p(m);
    p.guncelle();
    kaydet(p, "gunluk");
    auto* sayfalar = p.findChild<QStackedWidget*>();
    ASSERT_TRUE(sayfalar);
    EXPECT_EQ(sayfalar->currentIndex(), 3);
    auto* metin = p.findChild<QPlainTextEdit*>();
    ASSERT_TRUE(metin);
    QString yazi = metin->toPlainText();
    EXPECT_TRUE(yazi.endsWith("line 600\n")) << yazi.right(80).toStdString();
    EXPECT_FALSE(yazi.contains("line 100\n"));
}
