// How long the window's main thread stops answering while the restore
// section searches a copy of 200,000 entries, and while a backup copies
// 20,000 small files with rsync and the model keeps re-reading the state.
// A timer ticks every 5 ms on the main thread; the gaps between its ticks
// are the stalls. Several rounds each; per round the longest gap, the
// processor time the main thread itself spent in it, the 99th percentile
// and the most processor time the main thread spent between two ticks (its
// own longest block, whatever else the machine did), then their spread over
// the rounds. The aim: no gap over 50 ms.
// Usage: QT_QPA_PLATFORM=offscreen bench_durma [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/GeriYuklemeSayfasi.hpp"
#include "ui/Model.hpp"

namespace fs = std::filesystem;

namespace {

// The gaps between the ticks of a 5 ms timer on the main thread, and the
// processor time the main thread itself spent in each: a long gap with
// little of its own time was the machine's other work, not ours.
class Nabiz {
public:
    struct Aralik {
        double duvar, islemci;  // ms
    };
    Nabiz() {
        zaman_.setTimerType(Qt::PreciseTimer);
        zaman_.setInterval(5);
        QObject::connect(&zaman_, &QTimer::timeout, [this] {
            double simdi = saat_.nsecsElapsed() / 1e6, islemci = islemciMs();
            if (son_ >= 0) araliklar_.push_back({simdi - son_, islemci - sonIslemci_});
            son_ = simdi;
            sonIslemci_ = islemci;
        });
    }
    void basla() {
        araliklar_.clear();
        son_ = -1;
        saat_.start();
        zaman_.start();
    }
    std::vector<Aralik> bitir() {
        zaman_.stop();
        return araliklar_;
    }

private:
    static double islemciMs() {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    QTimer zaman_;
    QElapsedTimer saat_;
    double son_ = -1, sonIslemci_ = 0;
    std::vector<Aralik> araliklar_;
};

// Runs the event loop until `kosul` holds or `saniye` pass.
bool dondur(const std::function<bool()>& kosul, double saniye) {
    QElapsedTimer s;
    s.start();
    while (!kosul() && s.elapsed() < saniye * 1000) {
        QEventLoop dongu;
        QTimer::singleShot(2, &dongu, &QEventLoop::quit);
        dongu.exec();
    }
    return kosul();
}

struct Tur {
    double enCok, p99, sure;
    size_t asan;       // gaps over 50 ms
    double islemci;    // the main thread's own time in the longest gap
    double enMesgul;   // the most time the main thread itself spent between two ticks
};

double yuzdelik(const std::vector<double>& sirali, double p) {
    if (sirali.empty()) return 0;
    return sirali[std::min(sirali.size() - 1, static_cast<size_t>(p * static_cast<double>(sirali.size())))];
}

Tur tur(const std::vector<Nabiz::Aralik>& araliklar, double sure) {
    Tur t{0, 0, sure, 0, 0, 0};
    std::vector<double> duvar;
    for (const auto& a : araliklar) {
        duvar.push_back(a.duvar);
        if (a.duvar > t.enCok) {
            t.enCok = a.duvar;
            t.islemci = a.islemci;
        }
        t.enMesgul = std::max(t.enMesgul, a.islemci);
        t.asan += a.duvar > 50;
    }
    std::sort(duvar.begin(), duvar.end());
    t.p99 = yuzdelik(duvar, 0.99);
    return t;
}

void ozetle(const char* ad, std::vector<Tur> turlar) {
    std::printf("%s\n", ad);
    for (size_t i = 0; i < turlar.size(); ++i)
        std::printf("  round %zu: longest gap %6.1f ms (own time in it %5.1f ms), p99 %5.1f ms, %zu over 50 ms, "
                    "most own time between ticks %5.1f ms, %5.2f s\n",
                    i + 1, turlar[i].enCok, turlar[i].islemci, turlar[i].p99, turlar[i].asan, turlar[i].enMesgul,
                    turlar[i].sure);
    auto yay = [&](const char* ne, double Tur::*alan) {
        std::vector<double> v;
        for (const auto& t : turlar) v.push_back(t.*alan);
        std::sort(v.begin(), v.end());
        std::printf("  %-12s min %7.1f  median %7.1f  max %7.1f ms\n", ne, v.front(), v[v.size() / 2], v.back());
    };
    yay("longest gap", &Tur::enCok);
    yay("p99 gap", &Tur::p99);
    yay("most own", &Tur::enMesgul);
    double enCok = 0;
    for (const auto& t : turlar) enCok = std::max(enCok, t.enCok);
    std::printf("  %s: longest gap %.1f ms against the 50 ms aim\n", enCok <= 50 ? "within" : "OVER", enCok);
}

void bos(const std::string& yol) { std::ofstream(yol).put('x'); }

bool yaziVar(QWidget& w, const QString& parca) {
    for (auto* l : w.findChildren<QLabel*>())
        if (l->isVisibleTo(&w) && l->text().contains(parca)) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int turSayisi = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char sablon[] = "/tmp/brimvale-durma-bench-XXXXXX";
    if (!::mkdtemp(sablon)) return 1;
    std::string kok = sablon;
    ::setenv("BRIMVALE_DURUM", (kok + "/durum").c_str(), 1);
    ::setenv("BRIMVALE_BILDIRIM_YOK", "1", 1);
    ::setenv("BRIMVALE_BOLUM", "geriYukle", 1);
    ::setenv("HOME", kok.c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // A copy of 200 folders of 1,000 files, and the 20,000 files a backup copies.
    const std::string kopya = "2026-12-01_100000";
    std::string belgeler = Yol::yedekler() + "/" + kopya + "/Belgeler";
    for (int k = 0; k < 200; ++k) {
        std::string alt = belgeler + "/k" + std::to_string(k);
        fs::create_directories(alt);
        for (int d = 0; d < 1000; ++d) bos(alt + "/dosya " + std::to_string(d) + ".txt");
    }
    fs::create_directories(belgeler + "/liste");
    for (int d = 0; d < 10000; ++d) bos(belgeler + "/liste/Belge " + std::to_string(d) + ".pdf");
    std::string kaynak = kok + "/ev/Belgeler";
    for (int u = 0; u < 20; ++u)
        for (int a = 0; a < 10; ++a) {
            std::string alt = kaynak + "/u" + std::to_string(u) + "/a" + std::to_string(a);
            fs::create_directories(alt);
            for (int d = 0; d < 100; ++d) std::ofstream(alt + "/belge" + std::to_string(d) + ".txt") << "satir " << d << "\n";
        }
    std::printf("copy of 210,000 files under %s; 20,000 files to back up\n", belgeler.c_str());

    QApplication uygulama(argc, argv);
    Model m;
    AnaPencere p(m);
    p.show();
    dondur([&] { return !m.kopyalar.empty(); }, 10);
    auto* sayfa = p.findChild<GeriYuklemeSayfasi*>();
    auto* arama = sayfa ? sayfa->findChild<QLineEdit*>() : nullptr;
    if (!sayfa || !arama) {
        std::fprintf(stderr, "the restore section is missing\n");
        return 1;
    }
    Nabiz nabiz;

    // (a) The search, typed a key every 200 ms: every key's search replaces
    // the one before it; the last one scans all 200,000 entries for 200
    // matches.
    // The model's refresh stands still so the image counts as open.
    QList<QTimer*> yenileyiciler = m.findChildren<QTimer*>();
    for (auto* z : yenileyiciler) z->stop();
    dondur([] { return false; }, 0.5);
    m.a.imaj = Disk::Baglanti::okuma;
    m.seciliKopya = kopya;
    p.guncelle();
    dondur([] { return false; }, 0.5);
    std::vector<Tur> aramalar;
    const QString aranan = "dosya 999";
    for (int n = 0; n < turSayisi; ++n) {
        arama->clear();
        dondur([] { return false; }, 0.3);
        nabiz.basla();
        QElapsedTimer s;
        s.start();
        for (int i = 1; i <= aranan.size(); ++i) {
            arama->setText(aranan.left(i));
            dondur([] { return false; }, 0.2);
        }
        bool bitti = dondur([&] { return yaziVar(p, "200 items found"); }, 60);
        double sure = s.elapsed() / 1000.0;
        auto araliklar = nabiz.bitir();
        if (!bitti) std::fprintf(stderr, "round %d: the search did not finish\n", n + 1);
        aramalar.push_back(tur(araliklar, sure));
    }
    ozetle("(a) searching 200,000 entries in the restore section, typed key by key", aramalar);
    arama->clear();
    sayfa->havuz().waitForDone();

    // (c) The copy's tree from its root down to a folder of 10,000 entries,
    // opened as a person would.
    QTreeView* agac = nullptr;
    for (auto* v : sayfa->findChildren<QTreeView*>())
        if (!qobject_cast<QTreeWidget*>(v)) agac = v;
    std::vector<Tur> acmalar;
    for (int n = 0; agac && n < turSayisi; ++n) {
        m.seciliKopya.reset();
        p.guncelle();
        dondur([] { return false; }, 0.2);
        nabiz.basla();
        QElapsedTimer s;
        s.start();
        m.seciliKopya = kopya;
        p.guncelle();
        auto* model = agac->model();
        bool tamam = dondur([&] { return model->rowCount() > 0; }, 30);
        QModelIndex ust = model->index(0, 0);
        agac->expand(ust);
        tamam = tamam && dondur([&] { return model->rowCount(ust) > 0; }, 30);
        QModelIndex liste;
        for (int i = 0; i < model->rowCount(ust); ++i)
            if (model->index(i, 0, ust).data().toString() == "liste") liste = model->index(i, 0, ust);
        agac->expand(liste);
        tamam = tamam && dondur([&] { return model->rowCount(liste) == 10000; }, 30);
        // Drawn once with the new rows.
        agac->scrollTo(model->index(5000, 0, liste));
        dondur([] { return false; }, 0.05);
        double sure = s.elapsed() / 1000.0;
        auto araliklar = nabiz.bitir();
        if (!tamam) std::fprintf(stderr, "round %d: the tree did not open\n", n + 1);
        acmalar.push_back(tur(araliklar, sure));
    }
    if (!acmalar.empty()) ozetle("(c) opening the tree down to a folder of 10,000 entries", acmalar);

    // (b) rsync copies 20,000 files into a new copy while the model refreshes
    // on its 1.5 s timer and, to load it more, every 250 ms besides; the
    // overview shows, as during a backup.
    for (auto* l : p.findChildren<QListWidget*>())
        if (l->parentWidget() == p.centralWidget()) l->setCurrentRow(0);
    for (auto* z : yenileyiciler) z->start();
    std::vector<Tur> yedekler;
    for (int n = 0; n < std::max(3, turSayisi / 2); ++n) {
        std::string hedef = Yol::yedekler() + "/2026-12-0" + std::to_string(2 + n) + "_100000/";
        std::atomic<bool> bitti{false};
        int kod = -1;
        nabiz.basla();
        QElapsedTimer s;
        s.start();
        std::thread kopyala([&] {
            kod = komut("/usr/bin/rsync", {"-a", kaynak, hedef}).kod;
            bitti = true;
        });
        QTimer ek;
        QObject::connect(&ek, &QTimer::timeout, &m, [&] { m.yenile(); });
        ek.start(250);
        dondur([&] { return bitti.load(); }, 600);
        ek.stop();
        kopyala.join();
        double sure = s.elapsed() / 1000.0;
        auto araliklar = nabiz.bitir();
        if (kod != 0) std::fprintf(stderr, "round %d: rsync ended with %d\n", n + 1, kod);
        yedekler.push_back(tur(araliklar, sure));
        std::error_code ec;
        fs::remove_all(hedef, ec);
    }
    ozetle("(b) rsync copying 20,000 files while the model refreshes", yedekler);

    for (auto* z : yenileyiciler) z->stop();
    std::error_code ec;
    fs::remove_all(kok, ec);
    return 0;
}
