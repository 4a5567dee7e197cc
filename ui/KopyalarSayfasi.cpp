#include "ui/KopyalarSayfasi.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Icu.hpp"
#include "core/Yerel.hpp"
#include "ui/Model.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

}  // namespace

KopyalarSayfasi::KopyalarSayfasi(Model& m, QWidget* ust) : QWidget(ust), m_(m) {
    auto* d = new QVBoxLayout(this);
    hepsi_ = new QCheckBox(t("Also show items you undid or moved to the Trash"), this);
    liste_ = new QTreeWidget(this);
    liste_->setHeaderLabels({t("Item"), t("Restored"), t("Status")});
    liste_->setRootIsDecorated(false);
    liste_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    liste_->setContextMenuPolicy(Qt::CustomContextMenu);
    liste_->header()->setStretchLastSection(false);
    liste_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int sutun : {1, 2}) liste_->header()->setSectionResizeMode(sutun, QHeaderView::ResizeToContents);
    bos_ = new QLabel(t("No replaced items"), this);
    bos_->setAlignment(Qt::AlignCenter);
    geriAl_ = new QPushButton(t("Put the kept copy back in place; the restored version goes to the Trash"), this);
    copeAt_ = new QPushButton(t("Move the kept copies to the Trash"), this);
    auto* dugmeler = new QHBoxLayout;
    dugmeler->addStretch(1);
    dugmeler->addWidget(geriAl_);
    dugmeler->addWidget(copeAt_);
    d->addWidget(hepsi_);
    d->addWidget(liste_, 1);
    d->addWidget(bos_, 1);
    d->addLayout(dugmeler);

    connect(hepsi_, &QCheckBox::toggled, this, &KopyalarSayfasi::guncelle);
    connect(liste_, &QTreeWidget::itemSelectionChanged, this, [this] {
        bool var = !secili().empty();
        geriAl_->setEnabled(var);
        copeAt_->setEnabled(var);
    });
    connect(geriAl_, &QPushButton::clicked, this, [this] { m_.geriAl(secili()); });
    connect(copeAt_, &QPushButton::clicked, this, [this] { copeAt(secili()); });
    connect(liste_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& nokta) {
        auto* satir = liste_->itemAt(nokta);
        if (!satir) return;
        QMenu menu;
        std::string id = satir->data(0, Qt::UserRole).toString().toStdString();
        menu.addAction(t("Move Kept Copy to Trash"), [this, id] { copeAt({id}); });
        menu.exec(liste_->viewport()->mapToGlobal(nokta));
    });
    guncelle();
}

std::set<std::string> KopyalarSayfasi::secili() const {
    std::set<std::string> idler;
    for (auto* s : liste_->selectedItems()) idler.insert(s->data(0, Qt::UserRole).toString().toStdString());
    return idler;
}

void KopyalarSayfasi::copeAt(const std::set<std::string>& idler) {
    if (idler.empty()) return;
    QMessageBox soru(QMessageBox::Question, "Ondrak Brimvale",
                     q(Yerel::bicim("Move %d kept copies to the Trash?", {std::to_string(idler.size())})),
                     QMessageBox::Cancel, this);
    soru.setInformativeText(t("You can get them back from the Trash until you empty it."));
    auto* tamam = soru.addButton(t("Move to Trash"), QMessageBox::DestructiveRole);
    soru.exec();
    if (soru.clickedButton() == tamam) m_.copeAt(idler);
}

void KopyalarSayfasi::guncelle() {
    std::set<std::string> onceki = secili();
    liste_->clear();
    for (const auto& g : m_.kayitlar) {
        if (!Kurallar::kayitGosterilir(g, hepsi_->isChecked())) continue;
        auto zaman = Saat::Zaman{} + std::chrono::seconds(static_cast<long long>(g.zaman));
        auto* satir = new QTreeWidgetItem(
            liste_, {q(g.hedef), q(Icu::tarih(zaman, Icu::TarihBicimi::kisa).value_or("")), t(Kurallar::kayitEtiketi(g))});
        satir->setData(0, Qt::UserRole, q(g.id));
        satir->setSelected(onceki.count(g.id) > 0);
    }
    bool bos = liste_->topLevelItemCount() == 0;
    liste_->setVisible(!bos);
    bos_->setVisible(bos);
    geriAl_->setEnabled(!secili().empty());
    copeAt_->setEnabled(!secili().empty());
}
