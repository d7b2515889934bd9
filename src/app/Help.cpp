#include "app/Help.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "framework/fwMessage.h"
#include "framework/qt/AdvChildFrame.h"
#include "framework/qt/fwCommandTable.h"

namespace mframe {

namespace {

// Commands by id ranges, first to last, and the heading that explains them.
struct CCommandTopic {
    int first, last;
    const char* page;
    const char* anchor;
};

const CCommandTopic kCommandTopics[] = {
    // File
    {57601, 57601, "opening", "opening-files"},        // Open
    {57616, 57619, "opening", "opening-files"},        // the recent files
    {57602, 57604, "opening", "saving"},               // Close, Save, Save As
    {57606, 57609, "opening", "printing-and-copying"}, // Print Setup, Print, Print Preview
    {57634, 57634, "opening", "printing-and-copying"}, // Copy
    {57665, 57665, "workspace", "menus"},              // Exit
    {32848, 32848, "opening", "exporting-to-bmp"},     // Export to *.bmp
    // View
    {32790, 32791, "image", ""},                              // 2D View, Bump View
    {32772, 32772, "3d", ""},                                 // 3D View
    {32782, 32783, "image", "rulers-height-bar-and-colours"}, // Rulers, Height Bar
    {32778, 32778, "image", "options"},                       // Properties
    {59393, 59393, "workspace", "the-status-bar"},            // Status Bar
    // Image
    {32779, 32780, "image", "flips-turns-and-image-filters"}, // the flips
    {32794, 32794, "image", "flips-turns-and-image-filters"}, // Turn on 90°
    {169, 169, "image", "flips-turns-and-image-filters"},     // the image filters
    {179, 194, "image", "flips-turns-and-image-filters"},
    {32851, 32851, "image", "flips-turns-and-image-filters"},
    {32773, 32777, "image", "rulers-height-bar-and-colours"}, // brightness and contrast, fills
    {32784, 32789, "image", "rulers-height-bar-and-colours"},
    {32797, 32803, "image", "rulers-height-bar-and-colours"},
    {32898, 32898, "image", "rulers-height-bar-and-colours"},
    {32894, 32894, "image", "lock-update"},
    {32849, 32849, "3d", "printing-copying-and-exporting"}, // Export to *.stl
    {32856, 32857, "3d", "projection-and-options"},         // the projections
    // Surface
    {235, 235, "correction", "jump-elimination"},
    {243, 243, "correction", "flattening"},
    {245, 245, "correction", "flattening"},
    {251, 253, "correction", "flattening"},
    {237, 241, "correction", "plane-fitting"},
    {32824, 32824, "correction", "plane-fitting"},
    {246, 250, "correction", "morphology"},
    {32882, 32882, "correction", "morphology"},
    {214, 234, "correction", "filter"},
    {32880, 32880, "correction", "filter"},
    {242, 242, "correction", "normalize"},
    {32899, 32899, "correction", "normalize"},
    {32847, 32847, "analysis", "spectrum"},
    {32900, 32900, "analysis", "spectrum"},
    {32896, 32896, "analysis", "auto-correlation"},
    {236, 236, "analysis", "statistics"},
    {32891, 32893, "analysis", "statistics"},
    {32822, 32822, "analysis", "profiles"},
    {32883, 32886, "analysis", "profiles"},
    // Window and Help
    {57649, 57651, "workspace", "the-window-menu"},
    {263, 263, "workspace", "the-window-menu"},
    {57664, 57670, "workspace", "help"},
};

CTopic Topic(const char* page, const char* anchor = "") {
    return {QString::fromLatin1(page), QString::fromLatin1(anchor)};
}

bool HasContents(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(QDir(folder).filePath(QStringLiteral("index.html"))).isFile();
}

// Closes every open menu, innermost first.
void CloseMenus() {
    for (int k = 0; k < 16; ++k) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
    }
}

int CommandOf(const QAction* action) {
    return action && !action->menu() ? fw::CCommandTable::CommandId(action) : 0;
}

} // namespace

CTopic TopicOfCommand(int id) {
    for (const CCommandTopic& topic : kCommandTopics)
        if (id >= topic.first && id <= topic.last)
            return Topic(topic.page, topic.anchor);
    return Topic("index");
}

CTopic TopicOfKind(int kind) {
    switch (kind) {
    case kKind2D:
    case kKindBump:
        return Topic("image");
    case kKind3D:
        return Topic("3d");
    case kKindProfile:
        return Topic("analysis", "profiles");
    case kKindStatistics:
        return Topic("analysis", "statistics");
    case kKindFourier:
        return Topic("analysis", "spectrum");
    case kKindCorrelation:
        return Topic("analysis", "auto-correlation");
    default:
        return Topic("index");
    }
}

QString GuideFolder() {
    const QString given = qEnvironmentVariable("VANTRI_GUIDE_DIR");
    if (!given.isEmpty())
        return HasContents(given) ? given : QString();
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/doc/vantri/guide"));
    if (HasContents(installed))
        return QDir::cleanPath(installed);
#ifdef VANTRI_BUILD_GUIDE_DIR
    if (HasContents(QStringLiteral(VANTRI_BUILD_GUIDE_DIR)))
        return QStringLiteral(VANTRI_BUILD_GUIDE_DIR);
#endif
    return QString();
}

QUrl TopicUrl(const CTopic& topic) {
    const QString folder = GuideFolder();
    if (folder.isEmpty())
        return QUrl();
    const QString path = QDir(folder).filePath(topic.page + QStringLiteral(".html"));
    if (!QFileInfo(path).isFile())
        return QUrl();
    QUrl url = QUrl::fromLocalFile(path);
    if (!topic.anchor.isEmpty())
        url.setFragment(topic.anchor);
    return url;
}

CHelp::CHelp(QObject* owner) : QObject(owner) {
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    qApp->installEventFilter(this);
}

CHelp::~CHelp() {
    if (m_bActive)
        QGuiApplication::restoreOverrideCursor();
}

bool CHelp::Open(const CTopic& topic) {
    const QUrl url = TopicUrl(topic);
    if (url.isEmpty()) {
        fw::MessageBox(L"The user guide was not found. It is installed with the program, under "
                       L"share/doc/vantri/guide.",
                       fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        return false;
    }
    if (!openUrl || !openUrl(url)) {
        fw::MessageBox(L"No web browser could show the user guide. Its pages are in " +
                           QDir::toNativeSeparators(GuideFolder()).toStdWString() + L".",
                       fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void CHelp::StartContextHelp() {
    if (m_bActive)
        return;
    m_bActive = true;
    QGuiApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

void CHelp::EndContextHelp() {
    if (!m_bActive)
        return;
    m_bActive = false;
    QGuiApplication::restoreOverrideCursor();
}

void CHelp::Explain(const CTopic& topic) {
    EndContextHelp();
    CloseMenus();
    Open(topic);
}

CTopic CHelp::TopicAt(QWidget* widget, const QPoint& globalPos) const {
    if (auto* button = qobject_cast<QToolButton*>(widget))
        if (const int id = CommandOf(button->defaultAction()))
            return TopicOfCommand(id);
    if (auto* menu = qobject_cast<QMenu*>(widget))
        if (const int id = CommandOf(menu->actionAt(menu->mapFromGlobal(globalPos))))
            return TopicOfCommand(id);
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* frame = dynamic_cast<CAdvChildFrame*>(w))
            return TopicOfKind(frame->Kind());
        if (qobject_cast<QStatusBar*>(w))
            return Topic("workspace", "the-status-bar");
        if (qobject_cast<QToolBar*>(w))
            return Topic("workspace", "tool-bars");
        if (qobject_cast<QMenuBar*>(w))
            return Topic("workspace", "menus");
    }
    return Topic("workspace");
}

bool CHelp::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    if (type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* menu = qobject_cast<QMenu*>(widget);
        // F1 on a command of an open menu explains that command.
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && menu) {
            if (const int id = CommandOf(menu->activeAction())) {
                Explain(TopicOfCommand(id));
                return true;
            }
            return false;
        }
        if (!m_bActive)
            return false;
        if (key->key() == Qt::Key_Escape && !menu) {
            EndContextHelp();
            return true;
        }
        // Enter on a menu command explains it instead of choosing it.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && menu)
            if (const int id = CommandOf(menu->activeAction())) {
                Explain(TopicOfCommand(id));
                return true;
            }
        return false;
    }
    if (!m_bActive) {
        if (type == QEvent::MouseButtonRelease && m_bSwallowRelease) {
            m_bSwallowRelease = false;
            return true;
        }
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    // Menus open as usual; a command of one is explained when released on.
    if (qobject_cast<QMenuBar*>(widget))
        return false;
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        QAction* action = menu->actionAt(menu->mapFromGlobal(global));
        if (!CommandOf(action))
            return false;
        if (type == QEvent::MouseButtonRelease)
            Explain(TopicOfCommand(CommandOf(action)));
        return true;
    }
    if (type != QEvent::MouseButtonPress)
        return true;
    if (mouse->button() != Qt::LeftButton) {
        EndContextHelp();
        return true;
    }
    m_bSwallowRelease = true;
    Explain(TopicAt(widget, global));
    return true;
}

} // namespace mframe
