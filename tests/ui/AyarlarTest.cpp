// The settings window and the image-creation sheet, offscreen from a private
// state folder: every control lands in the settings file at once, the
// defaults come back, the refusals refuse, and a password the keyring did
// not take creates nothing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QThreadPool>
#include <QTreeWidget>
#include <QCheckBox>
#include <QListWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "core/Ayarlar.hpp"
#include "core/Yol.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"
#include "tests/ui/PencereOrtami.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/AyarlarPenceresi.hpp"
#include "ui/ImajSayfasi.hpp"
#include "ui/Metin.hpp"
#include "ui/Model.hpp"
#include "ui/Tepsi.hpp"

namespace fs = std::filesystem;
using namespace PencereOrtami;

namespace {

// Events are handled until `kosul` holds, for at most 10 s.
bool bekle(const std::function<bool()>& kosul) {
    auto son = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!kosul()) {
        if (std::chrono::steady_clock::now() > son) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

template <typename T = QAbstractButton>
T* bul(QWidget& w, const char* ad) {
    auto* n = w.findChild<T*>(ad);
    EXPECT_TRUE(n) << ad;
    return n;
}

// A text field whose editing ended.
void metinYaz(QWidget& w, const char* ad, const QString& metin) {
    auto* alan = bul<QPlainTextEdit>(w, ad);
    alan->setPlainText(metin);
    QFocusEvent cikis(QEvent::FocusOut);
    QApplication::sendEvent(alan, &cikis);
}

// Two disks as folders of the test; the image already on "Arsiv".
struct Diskler {
    Birim yedek, arsiv;
    Diskler() {
        std::string k = TestOrtami::kok() + "/diskler";
        yedek = {"11111111-AAAA", "Yedek", k + "/Yedek", 500e9, 123e9};
        arsiv = {"22222222-BBBB", "Arsiv", k + "/Arsiv", 2e12, 1.5e12};
        fs::create_directories(yedek.yol);
        fs::create_directories(arsiv.yol + "/Brimvale.sparsebundle");
    }
    std::function<std::vector<Birim>()> liste() const {
        return [b = std::vector<Birim>{arsiv, yedek}] { return b; };
    }
};

// The window over a model whose refreshes the test controls, with disks and
// answers of its own.
struct Pencere {
    Model m;
    AyarlarPenceresi w{m};
    std::optional<std::string> cevap;  // what the user picks in the next dialog
    explicit Pencere(const Diskler& d) {
        durdur(m);
        w.birimleriListele = d.liste();
        w.yolSor = [this](const QString&, const std::string&, bool) { return cevap; };
        w.ac(AyarlarPenceresi::genel);
        // The disks listed once.
        bekle([this] { return bul<QComboBox>(w, "disk")->isEnabled(); });
    }
    void sekme(int i) { w.findChild<QTabWidget*>()->setCurrentIndex(i); }
};

QString yazisi(QWidget& w, const char* ad) { return bul<QSpinBox>(w, ad)->text(); }

}  // namespace

TEST(AyarlarPenceresi, EachControlSavesItsFieldAtOnce) {
    uygulama();
    const std::string k = TestOrtami::kok();
    fs::create_directories(k + "/uygulamalar/Ornek.app");
    fs::create_directories(k + "/uygulamalar/Baska.app");
    ::setenv("BRIMVALE_UYGULAMALAR", (k + "/uygulamalar").c_str(), 1);
    fs::create_directories(k + "/ev/Belgeler/Proje");
    fs::create_directories(k + "/elle/Kendi.app");
    TestOrtami::dosyaYaz(k + "/ev/oncelik.txt", "Belgeler/Proje\n");
    TestOrtami::dosyaYaz(k + "/ev/kur.sh", "#!/bin/sh\n");
    Ayarlar once;
    once.diskSeri = "ESKI-SERI";
    once.kaydet();
    Diskler d;
    Pencere p(d);
    auto& w = p.w;
    ASSERT_TRUE(bekle([&] { return w.findChild<QTreeWidget*>("programlar")->topLevelItemCount() == 2; }));

    auto diskSec = [&](const QString& metin) {
        auto* c = bul<QComboBox>(w, "disk");
        int i = c->findText(metin);
        ASSERT_GE(i, 0) << metin.toStdString();
        c->setCurrentIndex(i);
    };
    auto sec = [&](const char* liste, int satir) { bul<QListWidget>(w, liste)->setCurrentRow(satir); };
    auto programSec = [&](const QString& ad) {
        auto* t = bul<QTreeWidget>(w, "programlar");
        auto bulunan = t->findItems(ad, Qt::MatchStartsWith);
        ASSERT_EQ(bulunan.size(), 1) << ad.toStdString();
        t->setCurrentItem(bulunan[0]);
    };
    struct Satir {
        const char* ne;
        std::function<void()> degistir;
        std::function<bool(const Ayarlar&)> kaydedildi;
    };
    const Satir satirlar[] = {
        {"disk", [&] { diskSec("Yedek (123 GB free of 500 GB)"); },
         [](const Ayarlar& a) { return a.diskUUID == "11111111-AAAA" && !a.diskSeri; }},
        {"no disk", [&] { diskSec("None"); }, [](const Ayarlar& a) { return !a.diskUUID; }},
        {"eject when done", [&] { bul(w, "otomatikCikar")->click(); },
         [](const Ayarlar& a) { return !a.otomatikCikar; }},
        {"add a folder",
         [&] {
             p.cevap = k + "/ev/Belgeler";
             bul(w, "kaynakEkle")->click();
         },
         [&](const Ayarlar& a) { return a.kaynaklar == std::vector<std::string>{k + "/ev/Belgeler"}; }},
        {"add another folder",
         [&] {
             p.cevap = k + "/ev";
             bul(w, "kaynakEkle")->click();
         },
         [&](const Ayarlar& a) { return a.kaynaklar.size() == 2; }},
        {"remove a folder",
         [&] {
             sec("kaynaklar", 1);
             bul(w, "kaynakCikar")->click();
         },
         [&](const Ayarlar& a) { return a.kaynaklar == std::vector<std::string>{k + "/ev/Belgeler"}; }},
        {"exclusions", [&] { metinYaz(w, "haric", "node_modules/\n\n*.iso\n"); },
         [](const Ayarlar& a) { return a.haric == std::vector<std::string>{"node_modules/", "*.iso"}; }},
        {"thin out", [&] { bul(w, "seyrelt")->click(); }, [](const Ayarlar& a) { return !a.seyrelt; }},
        {"hours", [&] { bul<QSpinBox>(w, "saatlik")->setValue(48); },
         [](const Ayarlar& a) { return a.saklama.saatlik == 48; }},
        {"days", [&] { bul<QSpinBox>(w, "gunluk")->setValue(0); },
         [](const Ayarlar& a) { return a.saklama.gunluk == 0; }},
        {"weeks", [&] { bul<QSpinBox>(w, "haftalik")->setValue(999); },
         [](const Ayarlar& a) { return a.saklama.haftalik == 999; }},
        {"months", [&] { bul<QSpinBox>(w, "aylik")->setValue(1); },
         [](const Ayarlar& a) { return a.saklama.aylik == 1; }},
        {"years", [&] { bul<QSpinBox>(w, "yillik")->setValue(7); },
         [](const Ayarlar& a) { return a.saklama.yillik == 7; }},
        {"priority folder",
         [&] {
             p.cevap = k + "/ev/Belgeler/Proje";
             bul(w, "oncelikEkle")->click();
             bekle([&] { return bul<QListWidget>(w, "oncelikKlasorler")->count() == 1; });
         },
         [&](const Ayarlar& a) { return a.oncelikKlasorler == std::vector<std::string>{k + "/ev/Belgeler/Proje"}; }},
        {"priority folder removed",
         [&] {
             sec("oncelikKlasorler", 0);
             bul(w, "oncelikCikar")->click();
         },
         [](const Ayarlar& a) { return a.oncelikKlasorler.empty(); }},
        {"program removed",
         [&] {
             programSec("Ornek");
             bul(w, "programCikar")->click();
         },
         [&](const Ayarlar& a) {
             return a.programCikar == std::vector<std::string>{"app:" + k + "/uygulamalar/Ornek.app"};
         }},
        {"removed programs back", [&] { bul(w, "geriGetir")->click(); },
         [](const Ayarlar& a) { return a.programCikar.empty(); }},
        {"program added by hand",
         [&] {
             p.cevap = k + "/elle/Kendi.app";
             bul(w, "programEkle")->click();
         },
         [&](const Ayarlar& a) { return a.programEk == std::vector<std::string>{k + "/elle/Kendi.app"}; }},
        {"program added by hand removed",
         [&] {
             bekle([&] { return bul<QTreeWidget>(w, "programlar")->topLevelItemCount() == 3; });
             programSec("Kendi");
             bul(w, "programCikar")->click();
         },
         [](const Ayarlar& a) { return a.programEk.empty() && a.programCikar.empty(); }},
        {"note", [&] { metinYaz(w, "notMetni", "Kart çekmecede."); },
         [](const Ayarlar& a) { return a.notMetni == "Kart çekmecede."; }},
        {"priority list",
         [&] {
             p.cevap = k + "/ev/oncelik.txt";
             bul(w, "oncelikListesiSec")->click();
         },
         [&](const Ayarlar& a) { return a.oncelikListesi == k + "/ev/oncelik.txt"; }},
        {"priority list none", [&] { bul(w, "oncelikListesiYok")->click(); },
         [](const Ayarlar& a) { return !a.oncelikListesi; }},
        {"setup script",
         [&] {
             p.cevap = k + "/ev/kur.sh";
             bul(w, "kurulumBetigiSec")->click();
         },
         [&](const Ayarlar& a) { return a.kurulumBetigi == k + "/ev/kur.sh"; }},
    };
    for (const auto& s : satirlar) {
        SCOPED_TRACE(s.ne);
        EXPECT_FALSE(s.kaydedildi(Ayarlar::yukle())) << "already so before the change";
        s.degistir();
        EXPECT_TRUE(s.kaydedildi(Ayarlar::yukle()));
        EXPECT_TRUE(s.kaydedildi(p.m.ayarlar));
    }
    // A dialog left without a choice changes nothing.
    Ayarlar simdi = Ayarlar::yukle();
    p.cevap.reset();
    for (const char* ad : {"kaynakEkle", "programEkle", "kurulumBetigiSec"}) bul(w, ad)->click();
    EXPECT_EQ(Ayarlar::yukle(), simdi);
}

TEST(AyarlarPenceresi, RestoreDefaultsBringsBackExclusionsAndCountsAndZeroReadsAll) {
    uygulama();
    Ayarlar a;
    a.haric = {"sadece-bu/"};
    a.saklama = {5, 0, 1, 2, 3};
    a.kaydet();
    Diskler d;
    Pencere p(d);
    auto& w = p.w;
    EXPECT_EQ(bul<QPlainTextEdit>(w, "haric")->toPlainText(), "sadece-bu/");
    EXPECT_EQ(yazisi(w, "saatlik"), "5");
    EXPECT_EQ(yazisi(w, "gunluk"), Arayuz::t("all"));
    EXPECT_EQ(yazisi(w, "haftalik"), "1");

    bul(w, "haricVarsayilan")->click();
    EXPECT_EQ(Ayarlar::yukle().haric, Ayarlar::varsayilanHaric());
    EXPECT_TRUE(bul<QPlainTextEdit>(w, "haric")->toPlainText().startsWith("node_modules/\n.next/\n"));
    EXPECT_EQ(Ayarlar::yukle().saklama, a.saklama) << "the counts stay until their own button";

    bul(w, "saklamaVarsayilan")->click();
    EXPECT_EQ(Ayarlar::yukle().saklama, Saklama{});
    EXPECT_EQ(yazisi(w, "saatlik"), "24");
    EXPECT_EQ(yazisi(w, "yillik"), Arayuz::t("all"));
    // A count stepped down to 0 reads "all" and is saved as 0.
    auto* ay = bul<QSpinBox>(w, "aylik");
    ay->setValue(1);
    ay->stepDown();
    EXPECT_EQ(ay->text(), Arayuz::t("all"));
    EXPECT_EQ(Ayarlar::yukle().saklama.aylik, 0);
}

TEST(AyarlarPenceresi, APriorityFolderOutsideTheBackedUpFoldersIsRefused) {
    uygulama();
    const std::string k = TestOrtami::kok();
    fs::create_directories(k + "/ev/Belgeler/Proje");
    fs::create_directories(k + "/ev/Belgeler2");
    Ayarlar a;
    a.kaynaklar = {k + "/ev/Belgeler"};
    a.kaydet();
    Diskler d;
    Pencere p(d);
    auto& w = p.w;
    p.sekme(AyarlarPenceresi::kurtulus);
    auto* liste = bul<QListWidget>(w, "oncelikKlasorler");

    // Beside the backed-up folder, with a name that begins the same way.
    p.cevap = k + "/ev/Belgeler2";
    bul(w, "oncelikEkle")->click();
    QMessageBox* ret = nullptr;
    ASSERT_TRUE(bekle([&] { return (ret = w.findChild<QMessageBox*>()) && ret->isVisible(); }));
    EXPECT_EQ(ret->text(), "“Belgeler2” is not in a backed-up folder.");
    EXPECT_EQ(ret->informativeText(), "Only folders that are backed up can come back first. Add it under Folders first.");
    kaydet(*ret, "ayarlar-oncelik-ret", true);
    ret->close();
    QApplication::processEvents();
    EXPECT_EQ(liste->count(), 0);
    EXPECT_TRUE(Ayarlar::yukle().oncelikKlasorler.empty());

    // Inside it: taken, once.
    for (int i = 0; i < 2; ++i) {
        p.cevap = k + "/ev/Belgeler/Proje/";
        bul(w, "oncelikEkle")->click();
        ASSERT_TRUE(bekle([&] { return liste->count() == 1; }));
    }
    // The second answer is in too.
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    EXPECT_EQ(liste->count(), 1);
    EXPECT_EQ(Ayarlar::yukle().oncelikKlasorler, std::vector<std::string>{k + "/ev/Belgeler/Proje"});
    EXPECT_FALSE(w.findChild<QMessageBox*>());
}

TEST(AyarlarPenceresi, TheDiskChoiceAndTheImageRowFollowTheDisks) {
    uygulama();
    Diskler d;
    struct {
        const char* ne;
        std::optional<std::string> uuid;
        QString secili;
        const char* imaj;  // the row's sentence, or "" for the create button
    } durumlar[] = {
        {"no disk chosen", std::nullopt, "None", "Connect and choose a disk"},
        {"chosen, not mounted", "33333333-CCCC", "Not connected", "Connect and choose a disk"},
        {"chosen, image on it", "22222222-bbbb", "Arsiv (1.5 TB free of 2 TB)", "Found on this disk"},
        {"chosen, no image yet", "11111111-AAAA", "Yedek (123 GB free of 500 GB)", ""},
    };
    for (const auto& dr : durumlar) {
        SCOPED_TRACE(dr.ne);
        Ayarlar a;
        a.diskUUID = dr.uuid;
        a.kaydet();
        Pencere p(d);
        EXPECT_EQ(bul<QComboBox>(p.w, "disk")->currentText(), dr.secili);
        bool dugmeVar = bul(p.w, "imajOlustur")->isVisibleTo(&p.w);
        EXPECT_EQ(dugmeVar, !*dr.imaj);
        if (*dr.imaj) {
            EXPECT_TRUE(gorunur(p.w, dr.imaj));
        }
        if (!*dr.imaj) {
            EXPECT_TRUE(gorunur(p.w, "the disk itself is not erased or reformatted"));
            kaydet(p.w, "ayarlar-genel", true);
        }
    }
}

TEST(AyarlarPenceresi, EachTabAsItLooks) {
    uygulama();
    const std::string k = TestOrtami::kok();
    fs::create_directories(k + "/uygulamalar/Metin Duzenleyici.app");
    fs::create_directories(k + "/uygulamalar/Tarayici.app");
    ::setenv("BRIMVALE_UYGULAMALAR", (k + "/uygulamalar").c_str(), 1);
    Ayarlar a;
    a.kaynaklar = {k + "/ev/Belgeler", k + "/ev/Resimler", k + "/is/Belgeler"};
    a.oncelikKlasorler = {k + "/ev/Belgeler/Proje"};
    a.programCikar = {"cask:eski"};
    a.kaydet();
    Diskler d;
    Pencere p(d);
    bekle([&] { return bul<QTreeWidget>(p.w, "programlar")->topLevelItemCount() == 2; });
    p.sekme(AyarlarPenceresi::klasorler);
    kaydet(p.w, "ayarlar-klasorler", true);
    p.sekme(AyarlarPenceresi::gecmis);
    kaydet(p.w, "ayarlar-gecmis", true);
    EXPECT_TRUE(gorunur(p.w, "The newest backup is always kept."));
    p.sekme(AyarlarPenceresi::kurtulus);
    kaydet(p.w, "ayarlar-kurtulus", true);
    // The rest of the tab, the advanced controls unfolded.
    bul(p.w, "gelismisDugme")->click();
    auto* kaydirma = p.w.findChild<QScrollArea*>();
    ASSERT_TRUE(kaydirma);
    QApplication::processEvents();
    kaydirma->verticalScrollBar()->setValue(kaydirma->verticalScrollBar()->maximum());
    kaydet(p.w, "ayarlar-kurtulus-alt", true);
    EXPECT_TRUE(dugme(p.w, "Bring Back Removed (1)"));
    EXPECT_FALSE(gorunur(p.w, "Looking for programs…"));
    // The texts a person reads here name this system's things.
    for (auto* l : p.w.findChildren<QLabel*>())
        if (l->isVisibleTo(&p.w)) {
            EXPECT_FALSE(TestOrtami::yabanciSozcukVar(l->text().toStdString())) << l->text().toStdString();
        }
}

TEST(ImajSayfasi, CreateNeedsEightCharactersTypedTheSameTwice) {
    uygulama();
    Model m;
    durdur(m);
    Diskler d;
    ImajSayfasi s(m, d.yedek, nullptr);
    auto alanlar = s.findChildren<QLineEdit*>();
    ASSERT_EQ(alanlar.size(), 2);
    for (auto* a : alanlar) EXPECT_EQ(a->echoMode(), QLineEdit::Password);
    auto* olustur = dugme(s, Arayuz::t("Create"));
    ASSERT_TRUE(olustur);
    struct {
        QString parola, tekrar;
        bool etkin;
    } durumlar[] = {
        {"", "", false},           {"1234567", "1234567", false}, {"12345678", "12345678", true},
        {"12345678", "12345679", false}, {"12345678", "", false}, {"ğüşıöçĞÜ", "ğüşıöçĞÜ", true},
        {"ğüşıöçĞ", "ğüşıöçĞ", false},
    };
    for (const auto& dr : durumlar) {
        alanlar[0]->setText(dr.parola);
        alanlar[1]->setText(dr.tekrar);
        EXPECT_EQ(olustur->isEnabled(), dr.etkin) << dr.parola.toStdString() << " / " << dr.tekrar.toStdString();
    }
    // The mismatch is said once the repeat is as long as the password.
    alanlar[0]->setText("parola123");
    alanlar[1]->setText("parola1");
    EXPECT_FALSE(gorunur(s, Arayuz::t("The two passwords are not the same.")));
    alanlar[1]->setText("parola124");
    EXPECT_TRUE(gorunur(s, Arayuz::t("The two passwords are not the same.")));
    alanlar[1]->setText("parola123");
    EXPECT_FALSE(gorunur(s, Arayuz::t("The two passwords are not the same.")));
    EXPECT_TRUE(gorunur(s, "An encrypted backup file (AES-256) is created on “Yedek”. It grows as needed, up to 95% of "
                           "the disk."));
    alanlar[0]->setText("parola123");
    alanlar[1]->setText("parola12");
    kaydet(s, "imaj-sayfasi", true);
    alanlar[1]->setText("parola124");
    kaydet(s, "imaj-sayfasi-farkli", true);
}

TEST(ImajSayfasi, TheKeyringComesFirstAndACreationErrorStaysInTheSheet) {
    uygulama();
    Diskler d;
    // Quotes and a backslash: the keyring's command line quotes them.
    const std::string parola = "Kv7 \"tırnak\" \\ Qm";
    struct {
        const char* ne;
        int securityKodu;
        bool parolaOkunur;  // the keyring gives the password back
        int hdiutilKodu;
        const char* hdiutilCiktisi;
        QString hata;  // "" when the sheet closes
    } durumlar[] = {
        {"keyring refuses", 1, false, 0, "", Arayuz::t("The password could not be saved in the Keychain.")},
        {"keyring forgets", 0, false, 0, "", Arayuz::t("The password could not be saved in the Keychain.")},
        {"image fails", 0, true, 1, "hdiutil: create failed - No space left on device\n",
         "hdiutil: create failed - No space left on device"},
        {"image fails silently", 0, true, 1, "", Arayuz::t("The encrypted backup could not be created.")},
        {"created", 0, true, 0, "", ""},
    };
    for (const auto& dr : durumlar) {
        SCOPED_TRACE(dr.ne);
        SahteArac security(TestOrtami::araclar(), "security");
        security.cevap("", dr.securityKodu);
        SahteArac hdiutil(TestOrtami::araclar(), "hdiutil");
        hdiutil.cevap(dr.hdiutilCiktisi, dr.hdiutilKodu).girdiKaydet();
        if (dr.parolaOkunur) ::setenv("BRIMVALE_PAROLA", parola.c_str(), 1);
        else ::unsetenv("BRIMVALE_PAROLA");
        Model m;
        durdur(m);
        QWidget ust;
        ust.show();
        auto* s = new ImajSayfasi(m, d.yedek, &ust);
        bool olustu = false;
        QObject::connect(s, &ImajSayfasi::olusturuldu, [&] { olustu = true; });
        s->open();
        auto alanlar = s->findChildren<QLineEdit*>();
        for (auto* a : alanlar) a->setText(QString::fromStdString(parola));
        dugme(*s, Arayuz::t("Create"))->click();
        // While it works: nothing to press, Esc does not close it.
        EXPECT_FALSE(alanlar[0]->isEnabled());
        EXPECT_FALSE(dugme(*s, Arayuz::t("Cancel"))->isEnabled());
        s->reject();
        EXPECT_TRUE(s->isVisible());
        ASSERT_TRUE(bekle([&] { return alanlar[0]->isEnabled() || !s->isVisible(); }));
        EXPECT_EQ(olustu, dr.hata.isEmpty());
        EXPECT_EQ(s->isVisible(), !dr.hata.isEmpty());
        if (!dr.hata.isEmpty()) {
            EXPECT_TRUE(gorunur(*s, dr.hata)) << metinler<QLabel>(*s).back().toStdString();
            if (std::string(dr.ne) == "image fails") kaydet(*s, "imaj-sayfasi-hata", true);
        }
        // The keyring is asked first, with the password on standard input only.
        auto cagrilar = security.cagrilar();
        ASSERT_FALSE(cagrilar.empty());
        EXPECT_EQ(cagrilar[0].args, std::vector<std::string>{"-i"});
        bool anahtarlikAldi = dr.securityKodu == 0 && dr.parolaOkunur;
        EXPECT_EQ(hdiutil.cagrilar().size(), anahtarlikAldi ? 1u : 0u) << "nothing is created without the keyring";
        for (const auto& c : hdiutil.cagrilar()) {
            EXPECT_EQ(c.girdi, parola);
            for (const auto& a : c.args) EXPECT_EQ(a.find("Kv7"), std::string::npos) << a;
        }
        EXPECT_FALSE(fs::exists(d.yedek.yol + "/Brimvale.sparsebundle"));
        EXPECT_EQ(TestOrtami::gunluk().find("Kv7"), std::string::npos) << "the password is never logged";
        delete s;
    }
}

TEST(AyarlarPenceresi, TheMenusOpenItAndOthersCanOpenItAtATab) {
    uygulama();
    Model m;
    durdur(m);
    AnaPencere ana(m);
    QAction* ayarlar = nullptr;
    bool kaldirVar = false;
    for (auto* menu : ana.menuBar()->findChildren<QMenu*>())
        for (auto* e : menu->actions()) {
            if (e->text() == Arayuz::t("Settings…")) ayarlar = e;
            if (e->text().startsWith(Arayuz::t("Uninstall Ondrak Brimvale…"))) kaldirVar = true;
        }
    ASSERT_TRUE(ayarlar);
    EXPECT_FALSE(kaldirVar) << "the uninstall lives in the General tab";
    EXPECT_TRUE(ayarlar->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Comma)));
    ayarlar->trigger();
    auto* w = ana.findChild<AyarlarPenceresi*>();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->findChild<QTabWidget*>()->currentIndex(), AyarlarPenceresi::genel);
    EXPECT_TRUE(bul(*w, "kaldir")->isVisibleTo(w));
    EXPECT_TRUE(gorunur(*w, "Uninstalling keeps your backups on the disk."));

    // From a widget inside the main window (the overview's guidance): the
    // same one window, at the tab asked for.
    w->hide();
    AnaPencere::ayarlariAc(ana.centralWidget()->findChildren<QWidget*>().back(), AyarlarPenceresi::klasorler);
    EXPECT_EQ(ana.findChildren<AyarlarPenceresi*>().size(), 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->findChild<QTabWidget*>()->currentIndex(), AyarlarPenceresi::klasorler);

    QMenu tepsi;
    int acildi = 0;
    tepsiMenusu(m, &tepsi, [] {}, [&] { ++acildi; });
    for (auto* e : tepsi.actions())
        if (e->text() == Arayuz::t("Settings…")) e->trigger();
    EXPECT_EQ(acildi, 1);
}
