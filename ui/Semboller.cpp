#include "ui/Semboller.hpp"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <map>

#include "core/UygulamaBilgisi.hpp"

namespace Semboller {

QIcon ikon(const std::string& sembol) {
    struct Eslesme {
        const char* tema;
        QStyle::StandardPixmap yedek;
        const char* dosya = nullptr;  // our own picture when it is not the theme name's
    };
    static const std::map<std::string, Eslesme> eslesmeler = {
        {"externaldrive.badge.timemachine", {"drive-removable-media", QStyle::SP_DriveHDIcon, "drive-removable-media-yedek"}},
        {"externaldrive.fill.badge.timemachine",
         {"drive-removable-media", QStyle::SP_DriveHDIcon, "drive-removable-media-yedek"}},
        {"internaldrive", {"drive-harddisk", QStyle::SP_DriveHDIcon}},
        {"clock.arrow.circlepath", {"document-open-recent", QStyle::SP_BrowserReload}},
        {"arrow.triangle.2.circlepath", {"view-refresh", QStyle::SP_BrowserReload}},
        {"pause.circle", {"media-playback-pause", QStyle::SP_MediaPause}},
        {"eject", {"media-eject", QStyle::SP_ArrowUp}},
        {"exclamationmark.triangle", {"dialog-warning", QStyle::SP_MessageBoxWarning}},
        {"exclamationmark.triangle.fill", {"dialog-warning", QStyle::SP_MessageBoxWarning}},
        {"exclamationmark.octagon.fill", {"dialog-error", QStyle::SP_MessageBoxCritical}},
        {"checkmark.circle.fill", {"emblem-ok-symbolic", QStyle::SP_DialogApplyButton}},
        {"checkmark.seal.fill", {"object-select", QStyle::SP_DialogApplyButton}},
        {"trash.circle.fill", {"user-trash", QStyle::SP_TrashIcon}},
        {"doc.on.doc", {"edit-copy", QStyle::SP_FileDialogDetailedView}},
        {"list.bullet", {"view-list", QStyle::SP_FileDialogListView}},
        {"list.bullet.rectangle", {"view-list", QStyle::SP_FileDialogDetailedView}},
        {"square.grid.2x2", {"view-grid", QStyle::SP_FileDialogContentsView}},
        {"bell.badge", {"preferences-desktop-notification", QStyle::SP_MessageBoxInformation}},
        {"gearshape", {"preferences-system", QStyle::SP_ComputerIcon}},
        {"folder", {"folder", QStyle::SP_DirIcon}},
        {"lifepreserver", {"help-browser", QStyle::SP_DialogHelpButton}},
        {"hourglass", {"process-working", QStyle::SP_BrowserReload}},
        {"circle", {"", QStyle::SP_DialogNoButton, "circle"}},
    };
    auto it = eslesmeler.find(sembol);
    if (it == eslesmeler.end()) return {};
    const auto& e = it->second;
    // The desktop's theme first, then our own drawing, then the style's.
    QString kendi = QString::fromStdString(UygulamaBilgisi::kaynaklar() + "/ikonlar/" + (e.dosya ? e.dosya : e.tema) +
                                           ".svg");
    QIcon yedek = QFile::exists(kendi) ? QIcon(kendi) : QApplication::style()->standardIcon(e.yedek);
    return *e.tema ? QIcon::fromTheme(e.tema, yedek) : yedek;
}

QHBoxLayout* yaninda(const std::string& sembol, int boyut, QLabel* yazi) {
    auto* satir = new QHBoxLayout;
    auto* isaret = new QLabel(yazi->parentWidget());
    isaret->setPixmap(ikon(sembol).pixmap(boyut, boyut));
    satir->addWidget(isaret, 0, Qt::AlignTop);
    satir->addWidget(yazi, 1);
    return satir;
}

}  // namespace Semboller
