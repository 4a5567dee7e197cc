#include "ui/GeriYuklemeSayfasi.hpp"

#include <stdlib.h>

#include <QButtonGroup>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QApplication>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

#include "core/Dosya.hpp"
#include "core/Icu.hpp"
#include "core/Komut.hpp"
#include "store/Kopyalar.hpp"
#include "ui/KopyaAgaci.hpp"
#include "ui/Metin.hpp"
#include "ui/Model.hpp"
#include "ui/ZamanCizelgesi.hpp"

using namespace Arayuz;
namespace fs = std::filesystem;

namespace {

// A preview reads at most this much of a text and this large a picture.
constexpr size_t kMetinSiniri = 64 * 1024;
constexpr uintmax_t kResimSiniri = 64 * 1024 * 1024;
constexpr int kResimBoyu = 1600;

QLabel* cumle(const QString& metin, QWidget* ust) {
    auto* l = new QLabel(metin, ust);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
}

QString tarihMetni(double saniye) {
    auto an = Saat::Zaman{} + std::chrono::seconds(static_cast<long long>(saniye));
    return q(Icu::tarih(an, Icu::TarihBicimi::orta).value_or(""));
}

// Runs `is` on `havuz` and hands its result to `sonra` on the thread of
// `baglam`, unless `baglam` is gone by then.
template <typename Is, typename Sonra>
void isle(QThreadPool& havuz, QObject* baglam, Is is, Sonra sonra) {
    havuz.start([baglam, is = std::move(is), sonra = std::move(sonra)]() mutable {
        auto sonuc = std::make_shared<decltype(is())>(is());
        QMetaObject::invokeMethod(baglam, [sonuc, sonra = std::move(sonra)] { sonra(*sonuc); }, Qt::QueuedConnection);
    });
}

struct Onizleme {
    enum class Tur { yok, klasor, resim, metin, baska } tur = Tur::yok;
    QImage resim;
    QString metin;
    bool kesik = false;  // only the beginning of the text
};

// What a version looks like: a picture scaled down, the beginning of a text,
// or nothing to show inline.
Onizleme onizlemeOku(const std::string& kopya, const std::string& rel) {
    Onizleme o;
    auto yol = GeriYukle::kopyaYolu(kopya, rel);
    if (!yol) return o;
    std::error_code ec;
    auto durum = fs::symlink_status(*yol, ec);
    if (ec) return o;
    if (fs::is_directory(durum)) {
        o.tur = Onizleme::Tur::klasor;
        return o;
    }
    o.tur = Onizleme::Tur::baska;
    if (!fs::is_regular_file(durum)) return o;
    uintmax_t boy = fs::file_size(*yol, ec);
    if (ec) return o;
    QImageReader okuyucu(QString::fromStdString(*yol));
    if (boy <= kResimSiniri && okuyucu.canRead()) {
        QSize s = okuyucu.size();
        if (s.isValid() && (s.width() > kResimBoyu || s.height() > kResimBoyu))
            okuyucu.setScaledSize(s.scaled(kResimBoyu, kResimBoyu, Qt::KeepAspectRatio));
        o.resim = okuyucu.read();
        if (!o.resim.isNull()) {
            o.tur = Onizleme::Tur::resim;
            return o;
        }
    }
    std::ifstream f(*yol, std::ios::binary);
    std::string bas(kMetinSiniri, '\0');
    f.read(bas.data(), static_cast<std::streamsize>(bas.size()));
    bas.resize(static_cast<size_t>(f.gcount()));
    if (bas.find('\0') != std::string::npos) return o;
    o.kesik = boy > bas.size();
    // A character cut at the end of what was read is dropped, not judged.
    if (o.kesik)
        for (int i = 0; i < 3 && !bas.empty() && (static_cast<unsigned char>(bas.back()) & 0xC0) == 0x80; ++i)
            bas.pop_back();
    if (o.kesik && !bas.empty() && static_cast<unsigned char>(bas.back()) >= 0xC0) bas.pop_back();
    QStringDecoder cozucu(QStringDecoder::Utf8);
    QString metin = cozucu.decode(QByteArrayView(bas.data(), static_cast<qsizetype>(bas.size())));
    if (cozucu.hasError()) return o;
    o.tur = Onizleme::Tur::metin;
    o.metin = metin;
    return o;
}

// A copy of the version in the temporary folder, opened with the desktop's
// program for it: the copy in the image stays untouched.
void disaridaAc(const std::string& kopya, const std::string& rel) {
    auto yol = GeriYukle::kopyaYolu(kopya, rel);
    if (!yol) return;
    // A folder of our own each time: a name fixed in the shared temporary
    // folder could be taken, or made a link, by someone else first.
    std::string sablon = (fs::temp_directory_path() / "brimvale-onizleme-XXXXXX").string();
    if (!::mkdtemp(sablon.data())) return;
    fs::path hedef = fs::path(sablon) / fs::path(*yol).filename();
    std::error_code ec;
    fs::copy_file(*yol, hedef, ec);
    if (ec) return;
    komut("/usr/bin/open", {hedef.string()});
}

}  // namespace

// The search's results for a list view: rows are drawn from the nodes as
// they scroll into view, so a new answer costs one reset, not 500 items.
class AramaSonuclari : public QAbstractListModel {
public:
    explicit AramaSonuclari(QObject* ust) : QAbstractListModel(ust) {
        klasor_ = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        dosya_ = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    }
    void ayarla(DugumListesi liste) {
        beginResetModel();
        liste_ = std::move(liste);
        endResetModel();
    }
    const DugumListesi& liste() const { return liste_; }
    int rowCount(const QModelIndex& ust) const override { return ust.isValid() ? 0 : static_cast<int>(liste_.size()); }
    QVariant data(const QModelIndex& i, int rol) const override {
        if (!i.isValid() || static_cast<size_t>(i.row()) >= liste_.size()) return {};
        const Dugum& d = *liste_[static_cast<size_t>(i.row())];
        if (rol == Qt::DisplayRole || rol == Qt::ToolTipRole) return q(d.id);
        if (rol == Qt::DecorationRole) return d.klasor ? klasor_ : dosya_;
        return {};
    }

private:
    DugumListesi liste_;
    QIcon klasor_, dosya_;
};

GeriYuklemeSayfasi::GeriYuklemeSayfasi(Model& m, QWidget* ust) : QWidget(ust), m_(m) {
    havuz_.setMaxThreadCount(4);
    aramaIsi = Arama::ara;
    auto* dikey = new QVBoxLayout(this);

    // The zoom and the lock above the timeline.
    ustSatir_ = new QWidget(this);
    auto* ustYatay = new QHBoxLayout(ustSatir_);
    ustYatay->setContentsMargins(0, 0, 0, 0);
    olcekler_ = new QButtonGroup(this);
    olcekler_->setExclusive(true);
    const std::pair<Kurallar::Olcek, const char*> olcekAdlari[] = {{Kurallar::Olcek::gun, "Day"},
                                                                  {Kurallar::Olcek::hafta, "Week"},
                                                                  {Kurallar::Olcek::ay, "Month"},
                                                                  {Kurallar::Olcek::yil, "Year"},
                                                                  {Kurallar::Olcek::tumu, "All"}};
    for (const auto& [o, ad] : olcekAdlari) {
        auto* d = new QToolButton(ustSatir_);
        d->setText(t(ad));
        d->setCheckable(true);
        d->setChecked(o == m_.olcek);
        olcekler_->addButton(d, static_cast<int>(o));
        ustYatay->addWidget(d);
    }
    ustYatay->addStretch(1);
    kilitle_ = new QPushButton(t("Lock"), ustSatir_);
    kilitle_->setToolTip(t("Close the backup so that the disk can be ejected"));
    ustYatay->addWidget(kilitle_);
    dikey->addWidget(ustSatir_);
    zaman_ = new ZamanCizelgesi(this);
    zaman_->olcek(m_.olcek);
    dikey->addWidget(zaman_);

    sayfalar_ = new QStackedWidget(this);
    dikey->addWidget(sayfalar_, 1);

    // Locked: a sentence, Unlock, and the history kept outside the image.
    auto* kilitli = new QWidget(sayfalar_);
    auto* kd = new QVBoxLayout(kilitli);
    kilitMetni_ = yazi(t("Your backups are locked. Unlock them to browse the backups and restore files."), kilitli, 1);
    kilitMetni_->setAlignment(Qt::AlignCenter);
    kilidiAc_ = new QPushButton(t("Unlock"), kilitli);
    kilidiAc_->setDefault(true);
    auto* gecmisBaslik = yazi(t("Backups so far"), kilitli, 0, true);
    gecmis_ = new QTreeWidget(kilitli);
    gecmis_->setHeaderLabels({t("Backup"), t("Files"), t("New"), t("Changed"), t("Size")});
    gecmis_->setRootIsDecorated(false);
    gecmis_->header()->setStretchLastSection(false);
    gecmis_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int s = 1; s < 5; ++s) gecmis_->header()->setSectionResizeMode(s, QHeaderView::ResizeToContents);
    gecmisBos_ = cumle(t("No backup yet"), kilitli);
    kd->addSpacing(24);
    kd->addWidget(kilitMetni_);
    kd->addWidget(kilidiAc_, 0, Qt::AlignHCenter);
    kd->addSpacing(24);
    kd->addWidget(gecmisBaslik);
    kd->addWidget(gecmis_, 1);
    kd->addWidget(gecmisBos_, 1);
    sayfalar_->addWidget(kilitli);

    cumle_ = cumle("", sayfalar_);
    sayfalar_->addWidget(cumle_);

    // The browser: the copy's tree or the search's results on the left, the
    // selected item on the right.
    tarayici_ = new QSplitter(sayfalar_);
    auto* sol = new QWidget(tarayici_);
    auto* sd = new QVBoxLayout(sol);
    sd->setContentsMargins(0, 0, 0, 0);
    arama_ = new QLineEdit(sol);
    arama_->setPlaceholderText(t("Search this backup"));
    arama_->setClearButtonEnabled(true);
    solYigin_ = new QStackedWidget(sol);
    agac_ = new QTreeView(solYigin_);
    model_ = new KopyaAgaci(havuz_, this);
    agac_->setModel(model_);
    agac_->setHeaderHidden(true);
    agac_->setUniformRowHeights(true);
    sonuclar_ = new QListView(solYigin_);
    sonuclar_->setUniformItemSizes(true);
    aramaModeli_ = new AramaSonuclari(this);
    sonuclar_->setModel(aramaModeli_);
    int ikon = style()->pixelMetric(QStyle::PM_SmallIconSize);
    sonuclar_->setIconSize(QSize(ikon, ikon));
    solCumle_ = cumle("", solYigin_);
    solYigin_->addWidget(agac_);
    solYigin_->addWidget(sonuclar_);
    solYigin_->addWidget(solCumle_);
    aramaDurumu_ = new QLabel(sol);
    aramaDurumu_->setWordWrap(true);
    sd->addWidget(arama_);
    sd->addWidget(solYigin_, 1);
    sd->addWidget(aramaDurumu_);

    auto* sag = new QWidget(tarayici_);
    auto* sagD = new QVBoxLayout(sag);
    sagD->setContentsMargins(0, 0, 0, 0);
    sagYigin_ = new QStackedWidget(sag);
    sagCumle_ = cumle(t("Choose a file or folder to see its versions."), sagYigin_);
    auto* oge = new QWidget(sagYigin_);
    auto* od = new QVBoxLayout(oge);
    od->setContentsMargins(0, 0, 0, 0);
    ogeAdi_ = yazi("", oge, 2, true);
    surumler_ = new QTreeWidget(oge);
    surumler_->setHeaderLabels({t("Modified"), t("Size"), t("In backups")});
    surumler_->setRootIsDecorated(false);
    surumler_->header()->setStretchLastSection(true);
    surumler_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    surumler_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    surumler_->setMaximumHeight(150);
    onizleme_ = new QStackedWidget(oge);
    onizlemeCumle_ = cumle("", onizleme_);
    resimAlani_ = new QScrollArea(onizleme_);
    resim_ = new QLabel(resimAlani_);
    resim_->setAlignment(Qt::AlignCenter);
    resimAlani_->setWidget(resim_);
    resimAlani_->setWidgetResizable(true);
    metin_ = new QPlainTextEdit(onizleme_);
    metin_->setReadOnly(true);
    metin_->setFont(QFont("monospace"));
    onizleme_->addWidget(onizlemeCumle_);
    onizleme_->addWidget(resimAlani_);
    onizleme_->addWidget(metin_);
    auto* dugmeler = new QHBoxLayout;
    ac_ = new QPushButton(t("Open a Copy"), oge);
    ac_->setToolTip(t("Open a temporary copy of this version with its program"));
    farkliKaydet_ = new QPushButton(t("Save As…"), oge);
    yerineKoy_ = new QPushButton(t("Restore"), oge);
    yerineKoy_->setDefault(true);
    dugmeler->addWidget(ac_);
    dugmeler->addStretch(1);
    dugmeler->addWidget(farkliKaydet_);
    dugmeler->addWidget(yerineKoy_);
    od->addWidget(ogeAdi_);
    od->addWidget(surumler_);
    od->addWidget(onizleme_, 1);
    od->addLayout(dugmeler);
    sagYigin_->addWidget(sagCumle_);
    sagYigin_->addWidget(oge);
    sagD->addWidget(sagYigin_);
    static_cast<QSplitter*>(tarayici_)->setStretchFactor(0, 2);
    static_cast<QSplitter*>(tarayici_)->setStretchFactor(1, 3);
    sayfalar_->addWidget(tarayici_);

    aramaZamani_ = new QTimer(this);
    aramaZamani_->setSingleShot(true);
    aramaZamani_->setInterval(150);

    connect(olcekler_, &QButtonGroup::idClicked, this, [this](int id) {
        m_.olcek = static_cast<Kurallar::Olcek>(id);
        zaman_->olcek(m_.olcek);
    });
    zaman_->secilince = [this](const std::string& ad) {
        m_.seciliKopya = ad;
        guncelle();
    };
    connect(kilitle_, &QPushButton::clicked, this, [this] { m_.kilitle(); });
    connect(kilidiAc_, &QPushButton::clicked, this, [this] {
        m_.kilidiAc();
        kilitliGuncelle();
    });
    connect(arama_, &QLineEdit::textChanged, this, [this] {
        // Typing runs one search per pause, not one per key.
        aramaZamani_->start();
        if (arama_->text().isEmpty()) ara();
    });
    connect(aramaZamani_, &QTimer::timeout, this, &GeriYuklemeSayfasi::ara);
    connect(agac_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { ogeSec(model_->dugum(i)); });
    connect(sonuclar_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        const auto& liste = aramaModeli_->liste();
        if (i.isValid() && static_cast<size_t>(i.row()) < liste.size()) ogeSec(liste[static_cast<size_t>(i.row())]);
    });
    model_->okununca = [this] {
        if (arama_->text().isEmpty()) solYigin_->setCurrentWidget(model_->rowCount({}) ? static_cast<QWidget*>(agac_) : solCumle_);
        if (!model_->rowCount({})) solCumle_->setText(t("This backup holds no files."));
    };
    connect(surumler_, &QTreeWidget::currentItemChanged, this, [this] { surumSecildi(); });
    connect(ac_, &QPushButton::clicked, this, [this] {
        auto s = seciliSurum();
        if (!s || !seciliOge_) return;
        havuz_.start([kopya = s->sonKopya, rel = seciliOge_->id] { disaridaAc(kopya, rel); });
    });
    connect(yerineKoy_, &QPushButton::clicked, this, [this] {
        if (auto s = seciliSurum(); s && seciliOge_) m_.yerineKoy(s->sonKopya, seciliOge_->id);
    });
    connect(farkliKaydet_, &QPushButton::clicked, this, [this] { farkliKaydet(); });
    guncelle();
}

GeriYuklemeSayfasi::~GeriYuklemeSayfasi() {
    // A search underway stops at its next entry.
    ++*aramaNesli_;
    havuz_.waitForDone();
}

void GeriYuklemeSayfasi::guncelle() {
    bool kilitli = m_.a.imaj == Disk::Baglanti::yok;
    zaman_->setVisible(!kilitli);
    for (auto* d : olcekler_->buttons()) d->setVisible(!kilitli);
    kilitle_->setVisible(!kilitli);
    kilitle_->setEnabled(m_.a.imaj == Disk::Baglanti::okuma && !m_.a.calisiyor);
    if (auto* d = olcekler_->button(static_cast<int>(m_.olcek)); d && !d->isChecked()) {
        d->setChecked(true);
        zaman_->olcek(m_.olcek);
    }
    if (kilitli) {
        sayfalar_->setCurrentIndex(0);
        kilitliGuncelle();
        if (!gosterilenKopya_.empty()) kopyaGoster("");
        return;
    }
    zaman_->kopyalar(m_.kopyalar, m_.seciliKopya);
    if (m_.kopyalar.empty() || !m_.seciliKopya) {
        cumle_->setText(m_.kopyalar.empty()
                            ? t("There are no backups in this image yet. They appear here after the first backup.")
                            : t("Choose a backup in the timeline above to browse its files."));
        sayfalar_->setCurrentWidget(cumle_);
        if (!gosterilenKopya_.empty()) kopyaGoster("");
        return;
    }
    sayfalar_->setCurrentWidget(tarayici_);
    if (*m_.seciliKopya != gosterilenKopya_) kopyaGoster(*m_.seciliKopya);
}

void GeriYuklemeSayfasi::kilitliGuncelle() {
    kilidiAc_->setEnabled(!m_.mesgul);
    kilidiAc_->setText(m_.mesgul ? t("Unlocking…") : t("Unlock"));
    if (gecmisGosterildi_ && gosterilenGecmis_ == m_.gecmis) return;
    gecmisGosterildi_ = true;
    gosterilenGecmis_ = m_.gecmis;
    gecmis_->clear();
    auto sayi = [](const std::optional<int64_t>& n) { return n ? QString::number(*n) : QString("–"); };
    for (auto it = m_.gecmis.rbegin(); it != m_.gecmis.rend(); ++it) {
        auto* satir = new QTreeWidgetItem(gecmis_, {q(Kopyalar::goster(it->ad)), sayi(it->dosyaSayisi), sayi(it->yeni),
                                                    sayi(it->degisen),
                                                    it->toplamBoyut ? q(bayt(*it->toplamBoyut)) : QString("–")});
        for (int s = 1; s < 5; ++s) satir->setTextAlignment(s, Qt::AlignRight | Qt::AlignVCenter);
    }
    gecmis_->setVisible(!m_.gecmis.empty());
    gecmisBos_->setVisible(m_.gecmis.empty());
}

// Another copy: its tree from the start; the item and the search stay.
void GeriYuklemeSayfasi::kopyaGoster(const std::string& kopya) {
    gosterilenKopya_ = kopya;
    model_->kopya(kopya);
    if (kopya.empty()) {
        ++*aramaNesli_;
        ogeSec(nullptr);
        return;
    }
    solCumle_->setText(t("Reading the backup…"));
    if (arama_->text().isEmpty()) solYigin_->setCurrentWidget(solCumle_);
    else ara();
    // The versions are the same in every copy; the one in this copy is chosen.
    if (seciliOge_ && !surumListesi_.empty()) {
        auto surumler = surumListesi_;
        surumleriGoster(surumNesli_, surumler, yerineKonur_);
    }
}

void GeriYuklemeSayfasi::ara() {
    aramaZamani_->stop();
    int nesil = ++*aramaNesli_;
    std::string metin = arama_->text().toStdString();
    if (metin.empty()) {
        aramaModeli_->ayarla({});
        aramaDurumu_->clear();
        solYigin_->setCurrentWidget(model_->okunuyor() || !model_->rowCount({}) ? static_cast<QWidget*>(solCumle_) : agac_);
        return;
    }
    aramaDurumu_->setText(t("Searching…"));
    solYigin_->setCurrentWidget(sonuclar_);
    auto sayac = aramaNesli_;
    isle(
        havuz_, this,
        [is = aramaIsi, kopya = gosterilenKopya_, metin, sayac, nesil] {
            return is(kopya, metin, [sayac, nesil] { return sayac->load() != nesil; });
        },
        [this, nesil](const DugumListesi& sonuc) { aramaSonucu(nesil, sonuc); });
}

void GeriYuklemeSayfasi::aramaSonucu(int nesil, const DugumListesi& sonuc) {
    // A newer search replaced this one: its answer is never shown.
    if (nesil != aramaNesli_->load()) return;
    aramaModeli_->ayarla(sonuc);
    QString durum = sonuc.empty() ? t("No items found")
                                  : b("%d items found", {std::to_string(sonuc.size())});
    if (sonuc.size() >= Arama::kEnCok)
        durum += "\n" + b("Only the first %d are shown. Type more of the name to narrow the search.",
                         {std::to_string(Arama::kEnCok)});
    aramaDurumu_->setText(durum);
}

// The item's versions across all copies and whether it has a place on the
// computer, both read off this thread.
void GeriYuklemeSayfasi::ogeSec(const std::shared_ptr<Dugum>& d) {
    seciliOge_ = d;
    int nesil = ++surumNesli_;
    ++onizlemeNesli_;
    surumListesi_.clear();
    surumler_->clear();
    if (!d || d->id.empty()) {
        sagCumle_->setText(t("Choose a file or folder to see its versions."));
        sagYigin_->setCurrentWidget(sagCumle_);
        return;
    }
    sagCumle_->setText(t("Looking for the versions…"));
    sagYigin_->setCurrentWidget(sagCumle_);
    isle(
        havuz_, this,
        [rel = d->id, ayar = m_.ayarlar] {
            return std::make_pair(GeriYukle::surumler(rel), GeriYukle::macYolu(rel, ayar).has_value());
        },
        [this, nesil](const std::pair<std::vector<Surum>, bool>& s) { surumleriGoster(nesil, s.first, s.second); });
}

void GeriYuklemeSayfasi::surumleriGoster(int nesil, const std::vector<Surum>& surumler, bool yerineKonur) {
    if (nesil != surumNesli_ || !seciliOge_) return;
    surumListesi_ = surumler;
    yerineKonur_ = yerineKonur;
    if (surumler.empty()) {
        sagCumle_->setText(t("This item is in none of the backups any more."));
        sagYigin_->setCurrentWidget(sagCumle_);
        return;
    }
    ogeAdi_->setText(q(seciliOge_->ad));
    ogeAdi_->setToolTip(q(seciliOge_->id));
    yerineKoy_->setEnabled(yerineKonur);
    yerineKoy_->setToolTip(yerineKonur ? t("Put this version back where the item was; the current one is kept next to it")
                                       : t("A backed-up folder itself cannot be restored in place; use Save As."));
    QSignalBlocker sus(surumler_);
    surumler_->clear();
    QTreeWidgetItem* secilecek = nullptr;
    for (size_t i = 0; i < surumler.size(); ++i) {
        const Surum& s = surumler[i];
        QString nerede = q(Kopyalar::goster(s.kopya));
        if (s.sonKopya != s.kopya) nerede += " – " + q(Kopyalar::goster(s.sonKopya));
        auto* satir = new QTreeWidgetItem(surumler_, {tarihMetni(s.zaman), s.klasor ? t("Folder") : q(bayt(s.boy)), nerede});
        satir->setData(0, Qt::UserRole, static_cast<int>(i));
        // The version the copy chosen in the timeline holds.
        if (!secilecek && !gosterilenKopya_.empty() && s.kopya <= gosterilenKopya_ && gosterilenKopya_ <= s.sonKopya)
            secilecek = satir;
    }
    surumler_->setCurrentItem(secilecek ? secilecek : surumler_->topLevelItem(0));
    sagYigin_->setCurrentIndex(1);
    surumSecildi();
}

std::optional<Surum> GeriYuklemeSayfasi::seciliSurum() const {
    auto* satir = surumler_->currentItem();
    if (!satir) return std::nullopt;
    size_t i = static_cast<size_t>(satir->data(0, Qt::UserRole).toInt());
    return i < surumListesi_.size() ? std::optional(surumListesi_[i]) : std::nullopt;
}

void GeriYuklemeSayfasi::surumSecildi() {
    auto s = seciliSurum();
    farkliKaydet_->setEnabled(s.has_value());
    ac_->setVisible(s && !s->klasor);
    if (!s) yerineKoy_->setEnabled(false);
    if (s) onizle(*s);
}

void GeriYuklemeSayfasi::onizle(const Surum& s) {
    int nesil = ++onizlemeNesli_;
    onizlemeCumle_->setText(t("Loading the preview…"));
    onizleme_->setCurrentWidget(onizlemeCumle_);
    isle(
        havuz_, this, [kopya = s.sonKopya, rel = seciliOge_->id] { return onizlemeOku(kopya, rel); },
        [this, nesil](const Onizleme& o) {
            if (nesil != onizlemeNesli_) return;
            switch (o.tur) {
                case Onizleme::Tur::resim:
                    resim_->setPixmap(QPixmap::fromImage(o.resim));
                    onizleme_->setCurrentWidget(resimAlani_);
                    return;
                case Onizleme::Tur::metin:
                    metin_->setPlainText(o.kesik ? o.metin + "\n…" : o.metin);
                    onizleme_->setCurrentWidget(metin_);
                    return;
                case Onizleme::Tur::klasor:
                    onizlemeCumle_->setText(
                        t("A folder. Restoring it brings back everything in it; files added since are kept."));
                    break;
                case Onizleme::Tur::baska:
                    onizlemeCumle_->setText(t("No preview for this kind of file. Open a Copy shows it with its program."));
                    break;
                case Onizleme::Tur::yok:
                    onizlemeCumle_->setText(t("This version could not be read."));
                    break;
            }
            onizleme_->setCurrentWidget(onizlemeCumle_);
        });
}

void GeriYuklemeSayfasi::farkliKaydet() {
    auto s = seciliSurum();
    if (!s || !seciliOge_) return;
    QFileDialog secici(this, t("Save As…"));
    secici.setFileMode(QFileDialog::Directory);
    secici.setOption(QFileDialog::ShowDirsOnly);
    // The desktop's own chooser may not take our button's text.
    secici.setOption(QFileDialog::DontUseNativeDialog);
    secici.setLabelText(QFileDialog::Accept, t("Save Here"));
    if (secici.exec() != QDialog::Accepted || secici.selectedFiles().isEmpty()) return;
    m_.farkliKaydet(s->sonKopya, seciliOge_->id, secici.selectedFiles().front().toStdString());
}
