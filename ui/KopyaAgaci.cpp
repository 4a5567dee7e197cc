#include "ui/KopyaAgaci.hpp"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QThreadPool>

#include "ui/Metin.hpp"

using namespace Arayuz;

struct KopyaAgaci::Oge {
    std::shared_ptr<Dugum> dugum;
    Oge* ust = nullptr;
    int satir = 0;
    enum class Durum { okunmadi, okunuyor, okundu } durum = Durum::okunmadi;
    std::vector<std::unique_ptr<Oge>> cocuklar;
};

KopyaAgaci::KopyaAgaci(QThreadPool& havuz, QObject* ust) : QAbstractItemModel(ust), havuz_(havuz) {
    klasorIkonu_ = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    dosyaIkonu_ = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

KopyaAgaci::~KopyaAgaci() = default;

void KopyaAgaci::kopya(const std::string& ad) {
    beginResetModel();
    ++nesil_;
    kopya_ = ad;
    kok_.reset();
    if (!ad.empty()) {
        kok_ = std::make_unique<Oge>();
        kok_->dugum = std::make_shared<Dugum>("", ad, true);
    }
    endResetModel();
    if (kok_) oku(kok_.get());
}

bool KopyaAgaci::okunuyor() const { return kok_ && kok_->durum != Oge::Durum::okundu; }

KopyaAgaci::Oge* KopyaAgaci::oge(const QModelIndex& i) const {
    return i.isValid() ? static_cast<Oge*>(i.internalPointer()) : kok_.get();
}

std::shared_ptr<Dugum> KopyaAgaci::dugum(const QModelIndex& i) const {
    Oge* o = i.isValid() ? oge(i) : nullptr;
    return o ? o->dugum : nullptr;
}

QModelIndex KopyaAgaci::index(int satir, int sutun, const QModelIndex& ust) const {
    Oge* u = oge(ust);
    if (!u || sutun != 0 || satir < 0 || satir >= static_cast<int>(u->cocuklar.size())) return {};
    return createIndex(satir, 0, u->cocuklar[static_cast<size_t>(satir)].get());
}

QModelIndex KopyaAgaci::parent(const QModelIndex& i) const {
    Oge* o = i.isValid() ? oge(i) : nullptr;
    if (!o || !o->ust || o->ust == kok_.get()) return {};
    return createIndex(o->ust->satir, 0, o->ust);
}

int KopyaAgaci::rowCount(const QModelIndex& ust) const {
    Oge* u = oge(ust);
    return u ? static_cast<int>(u->cocuklar.size()) : 0;
}

QVariant KopyaAgaci::data(const QModelIndex& i, int rol) const {
    Oge* o = i.isValid() ? oge(i) : nullptr;
    if (!o) return {};
    switch (rol) {
        case Qt::DisplayRole: return q(o->dugum->ad);
        case Qt::DecorationRole: return o->dugum->klasor ? klasorIkonu_ : dosyaIkonu_;
        case Qt::ToolTipRole: return q(o->dugum->id);
        default: return {};
    }
}

bool KopyaAgaci::hasChildren(const QModelIndex& ust) const {
    Oge* u = oge(ust);
    if (!u) return false;
    if (!ust.isValid()) return !u->cocuklar.empty();
    // A folder shows its arrow until its listing says it is empty.
    return u->dugum->klasor && (u->durum != Oge::Durum::okundu || !u->cocuklar.empty());
}

bool KopyaAgaci::canFetchMore(const QModelIndex& ust) const {
    Oge* u = oge(ust);
    return u && u->dugum->klasor && u->durum == Oge::Durum::okunmadi;
}

void KopyaAgaci::fetchMore(const QModelIndex& ust) {
    if (Oge* u = oge(ust); u && canFetchMore(ust)) oku(u);
}

// The listing (one readdir and the sort) runs on a worker; the rows are
// added when it comes back, unless the model was reset meanwhile.
void KopyaAgaci::oku(Oge* o) {
    o->durum = Oge::Durum::okunuyor;
    QPointer<KopyaAgaci> ben(this);
    havuz_.start([ben, hedef = this, o, dugum = o->dugum, nesil = nesil_] {
        auto liste = std::make_shared<DugumListesi>(dugum->cocuklar().value_or(DugumListesi{}));
        QMetaObject::invokeMethod(
            hedef,
            [ben, o, nesil, liste] {
                if (!ben || ben->nesil_ != nesil) return;
                QModelIndex ust = o == ben->kok_.get() ? QModelIndex() : ben->createIndex(o->satir, 0, o);
                if (!liste->empty()) ben->beginInsertRows(ust, 0, static_cast<int>(liste->size()) - 1);
                o->cocuklar.reserve(liste->size());
                for (auto& d : *liste) {
                    auto c = std::make_unique<Oge>();
                    c->dugum = d;
                    c->ust = o;
                    c->satir = static_cast<int>(o->cocuklar.size());
                    o->cocuklar.push_back(std::move(c));
                }
                o->durum = Oge::Durum::okundu;
                if (!liste->empty()) ben->endInsertRows();
                // An empty folder loses its arrow.
                else if (o != ben->kok_.get()) emit ben->dataChanged(ust, ust);
                if (ben->okununca) ben->okununca();
            },
            Qt::QueuedConnection);
    });
}
