#pragma once
// What the offscreen window tests share: the one application, the pictures
// they save, and finding what a person would see.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "ui/Model.hpp"

namespace PencereOrtami {

inline QApplication& uygulama() {
    static int argc = 1;
    static char ad[] = "ui_pencere_testleri";
    static char* argv[] = {ad, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: Qt's own statics may already be gone at exit.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Where the pictures go: BRIMVALE_EKRAN or the build folder's "ekran".
inline std::string ekran(const std::string& ad) {
    const char* k = std::getenv("BRIMVALE_EKRAN");
    std::string klasor = k && *k ? k : std::string(BRIMVALE_EKRAN_KLASORU);
    std::filesystem::create_directories(klasor);
    return klasor + "/" + ad + ".png";
}

// At the window's own size, or the main window's default one.
inline void kaydet(QWidget& w, const std::string& ad, bool kendiBoyu = false) {
    if (!kendiBoyu) w.resize(1100, 720);
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

// The model's first refresh applied, then no more: the test sets its state.
inline void durdur(Model& m) {
    QEventLoop dongu;
    QObject::connect(&m, &Model::degisti, &dongu, &QEventLoop::quit);
    QTimer::singleShot(10000, &dongu, &QEventLoop::quit);
    dongu.exec();
    for (auto* z : m.findChildren<QTimer*>()) z->stop();
}

// The first child of that kind on the section shown: every section has its
// lists and text views.
template <typename T>
T* gorunen(QWidget& w) {
    for (auto* c : w.findChildren<T*>())
        if (c->isVisibleTo(&w)) return c;
    return nullptr;
}

inline bool gorunur(QWidget& w, const QString& metin) {
    for (const auto& m : metinler<QLabel>(w))
        if (m.contains(metin)) return true;
    return false;
}

inline QPushButton* dugme(QWidget& w, const QString& metin) {
    for (auto* d : w.findChildren<QPushButton*>())
        if (d->isVisibleTo(&w) && d->text() == metin) return d;
    return nullptr;
}

}  // namespace PencereOrtami
