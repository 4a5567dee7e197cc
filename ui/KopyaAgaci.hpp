#pragma once
// The tree of one copy for a view: folders first in the order a file browser
// shows names, each folder's children read on a worker when it is first
// opened, so a folder of many thousand entries never holds up the window.
#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <memory>
#include <string>

#include "restore/Dugum.hpp"

class QThreadPool;

class KopyaAgaci : public QAbstractItemModel {
public:
    // Reads run on `havuz`, which outlives the model.
    explicit KopyaAgaci(QThreadPool& havuz, QObject* ust = nullptr);
    ~KopyaAgaci() override;

    // Shows the copy (its root read at once, off this thread); "" for none.
    void kopya(const std::string& ad);
    const std::string& kopya() const { return kopya_; }
    // The root's listing has not come back yet.
    bool okunuyor() const;
    // Told when a folder's listing came back (the root's too).
    std::function<void()> okununca;

    std::shared_ptr<Dugum> dugum(const QModelIndex& i) const;

    QModelIndex index(int satir, int sutun, const QModelIndex& ust) const override;
    QModelIndex parent(const QModelIndex& i) const override;
    int rowCount(const QModelIndex& ust) const override;
    int columnCount(const QModelIndex&) const override { return 1; }
    QVariant data(const QModelIndex& i, int rol) const override;
    bool hasChildren(const QModelIndex& ust) const override;
    bool canFetchMore(const QModelIndex& ust) const override;
    void fetchMore(const QModelIndex& ust) override;

private:
    struct Oge;
    Oge* oge(const QModelIndex& i) const;
    void oku(Oge* o);

    QThreadPool& havuz_;
    std::string kopya_;
    std::unique_ptr<Oge> kok_;
    int nesil_ = 0;  // a reset makes the listings still underway stale
    QIcon klasorIkonu_, dosyaIkonu_;
};
