// The open and save dialog on the screen, driven through the document manager as the application's
// File commands drive it: the filters as the combo shows them, the remembered filter and views, Cancel,
// the default extension and the question before a save replaces a file.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "formats/DocTypes.h"
#include "formats/qt/AdvFileDialog.h"
#include "framework/fwMessage.h"
#include "model/OpenDialog.h"
#include "model/SurfaceApp.h"

namespace {

namespace fs = std::filesystem;
using doc::CAdvFileDialog;

class AdvFileDialog : public ::testing::Test {
protected:
    void SetUp() override {
        // Qt's dialog keeps its own state in the user's settings; the tests keep theirs apart.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromUtf8(VANTRI_TEST_OUT "/settings"));
        root = fs::path(VANTRI_TEST_OUT) /
               ("dialog_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root / "scans");
        fs::create_directories(root / "notes");
        Touch(root / "scans" / "a.spm");
        Touch(root / "scans" / "B.SPM");
        Touch(root / "scans" / "c.018");
        Touch(root / "notes" / "readme");
        doc::RegisterDocTypes(app);
        manager().SetFileDialog(&dialog);
    }
    void TearDown() override { manager().SetFileDialog(nullptr); }

    static void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
    doc::CVantriDocManager& manager() { return dynamic_cast<doc::CVantriDocManager&>(app.GetDocManager()); }
    QString Folder(const char* name) const { return QString::fromStdString((root / name).string()); }
    std::wstring Path(const char* name) const { return (root / name).wstring(); }

    // Prompts as File > Open does, with the dialog answered by answer.
    bool Prompt(std::wstring& name, bool open, const std::function<void(QFileDialog&)>& answer,
                fw::CDocTemplate* only = nullptr) {
        bool shown = false;
        dialog.onShown = [&](QFileDialog& d) {
            shown = true;
            EXPECT_TRUE(d.isVisible());
            answer(d);
            if (d.isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                d.reject();
            }
        };
        const bool ok = manager().DoPromptFileName(name, 0, 0, open, only);
        EXPECT_TRUE(shown);
        return ok;
    }
    // Switches the view with the dialog's own buttons.
    static void ClickView(QFileDialog& d, QFileDialog::ViewMode mode) {
        auto* button =
            d.findChild<QToolButton*>(mode == QFileDialog::Detail ? QStringLiteral("detailModeButton")
                                                                  : QStringLiteral("listModeButton"));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(d.viewMode(), mode);
    }
    // Presses Open or Save, once the dialog has found the file typed.
    static void Confirm(QFileDialog& d) {
        auto* box = d.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(box, nullptr);
        QPushButton* button = box->button(d.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                                    : QDialogButtonBox::Save);
        ASSERT_NE(button, nullptr);
        for (int i = 0; i < 200 && !button->isEnabled(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QComboBox* FilterCombo(QFileDialog& d) {
        return d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    }

    fs::path root;
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scoped{recorder};
    doc::CSurfaceApp app;
    doc::CDialogMemory& memory = app.dialogMemory;
    CAdvFileDialog dialog{app.dialogMemory};
};

} // namespace

TEST(AdvFileDialogMapping, FiltersAndViewsInQtsTerms) {
    EXPECT_EQ(CAdvFileDialog::ToNameFilter({L"NT-MDT Files (*.mdt)", L"*.mdt"}),
              QStringLiteral("NT-MDT Files (*.mdt) (*.mdt)"));
    EXPECT_EQ(CAdvFileDialog::ToNameFilter({L"Two (*.a;*.b)", L"*.a;*.b"}),
              QStringLiteral("Two (*.a;*.b) (*.a *.b)"));
    // On this system "*.*" would hide every file without a dot.
    EXPECT_EQ(CAdvFileDialog::ToNameFilter({L"All Files (*.*)", L"*.*"}),
              QStringLiteral("All Files (*.*) (*)"));
    EXPECT_EQ(CAdvFileDialog::ToViewMode(doc::ID_VIEW_DETAILS), QFileDialog::Detail);
    for (int id : std::initializer_list<int>{doc::ID_VIEW_LIST, doc::ID_VIEW_THUMBNAILS,
                                             doc::ID_VIEW_LARGE_ICONS, doc::ID_VIEW_TILES, 0})
        EXPECT_EQ(CAdvFileDialog::ToViewMode(id), QFileDialog::List) << id;
    EXPECT_EQ(CAdvFileDialog::ToViewModeId(QFileDialog::Detail), doc::ID_VIEW_DETAILS);
    EXPECT_EQ(CAdvFileDialog::ToViewModeId(QFileDialog::List), doc::ID_VIEW_LIST);
}

TEST_F(AdvFileDialog, OpenShowsTheTypesFiltersByNameAndStartsAtTheLast) {
    std::wstring name = Path("scans/");
    const bool ok = Prompt(name, true, [&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Open"));
        EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFiles); // several at once
        EXPECT_EQ(d.directory().absolutePath(), Folder("scans"));
        QComboBox* combo = FilterCombo(d);
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), 4);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("Veeco NanoScope III Files (*.000 - *.099)"));
        EXPECT_EQ(combo->itemText(1), QStringLiteral("MPRI NANOTOP-205 Files (*.spm)"));
        EXPECT_EQ(combo->itemText(3), QStringLiteral("All Files (*.*)"));
        EXPECT_EQ(combo->currentIndex(), 3);
        // Behind the NanoScope name, its hundred patterns as Qt reads them.
        QStringList nanoscope;
        for (int k = 0; k < 100; ++k)
            nanoscope << QStringLiteral("*.%1").arg(k, 3, 10, QLatin1Char('0'));
        EXPECT_TRUE(d.nameFilters().at(0).endsWith(u'(' + nanoscope.join(u' ') + u')'));
        d.selectFile(Folder("scans") + QStringLiteral("/B.SPM"));
        Confirm(d);
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(name, Path("scans/B.SPM"));
    EXPECT_EQ(memory.filterIndex, 4);
}

TEST_F(AdvFileDialog, FilterAndViewsAreRememberedPerKindOfDialogAndFolder) {
    // First run, in a folder of scans: its view (thumbnails by default) shows as List.
    std::wstring name = Path("scans/");
    ASSERT_TRUE(Prompt(name, true, [&](QFileDialog& d) {
        EXPECT_EQ(d.viewMode(), QFileDialog::List);
        d.selectNameFilter(d.nameFilters().at(1));
        ClickView(d, QFileDialog::Detail);
        d.selectFile(Folder("scans") + QStringLiteral("/a.spm"));
        Confirm(d);
    }));
    EXPECT_EQ(memory.filterIndex, 2);
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(true, true)], doc::ID_VIEW_DETAILS);
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(true, false)], doc::ID_VIEW_LIST);
    EXPECT_TRUE(memory.changed);
    memory.changed = false;

    // Second run, elsewhere: the filter comes back, and each folder shows in its own view.
    name = Path("notes/");
    ASSERT_TRUE(Prompt(name, true, [&](QFileDialog& d) {
        EXPECT_EQ(FilterCombo(d)->currentIndex(), 1);
        EXPECT_EQ(d.viewMode(), QFileDialog::List);
        d.setDirectory(Folder("scans"));
        EXPECT_EQ(d.viewMode(), QFileDialog::Detail);
        ClickView(d, QFileDialog::List);
        d.setDirectory(Folder("notes"));
        EXPECT_EQ(d.viewMode(), QFileDialog::List);
        ClickView(d, QFileDialog::Detail);
        d.setDirectory(Folder("scans"));
        EXPECT_EQ(d.viewMode(), QFileDialog::List);
        d.selectFile(Folder("scans") + QStringLiteral("/B.SPM"));
        Confirm(d);
    }));
    EXPECT_EQ(name, Path("scans/B.SPM"));
    EXPECT_EQ(memory.filterIndex, 2);
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(true, true)], doc::ID_VIEW_LIST);
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(true, false)], doc::ID_VIEW_DETAILS);
    EXPECT_TRUE(memory.changed);

    // A save dialog keeps views of its own, and a folder left as it opened keeps its id.
    memory.changed = false;
    memory.viewModes[doc::CDialogMemory::Slot(false, true)] = doc::ID_VIEW_TILES;
    name = Path("scans/copy.spm");
    ASSERT_TRUE(Prompt(
        name, false,
        [&](QFileDialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Save As"));
            EXPECT_EQ(d.viewMode(), QFileDialog::List);
            Confirm(d);
        },
        app.GetDocManager().GetTemplates()[1]));
    EXPECT_EQ(name, Path("scans/copy.spm"));
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(false, true)], doc::ID_VIEW_TILES);
    EXPECT_EQ(memory.viewModes[doc::CDialogMemory::Slot(true, false)], doc::ID_VIEW_DETAILS);
    EXPECT_FALSE(memory.changed);
}

TEST_F(AdvFileDialog, CancelChangesNothing) {
    const doc::CDialogMemory before = memory;
    std::wstring name = L"proposed.spm";
    const bool ok = Prompt(name, true, [&](QFileDialog& d) {
        d.setDirectory(Folder("scans"));
        d.selectNameFilter(d.nameFilters().at(2));
        ClickView(d, QFileDialog::Detail);
        d.setDirectory(Folder("notes"));
        ClickView(d, QFileDialog::Detail);
        d.selectFile(Folder("scans") + QStringLiteral("/a.spm"));
        d.reject();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(name, L"proposed.spm");
    EXPECT_EQ(memory.Profile(), before.Profile());
}

TEST_F(AdvFileDialog, SaveAddsTheTypesExtensionAndAsksBeforeReplacing) {
    fw::CDocTemplate* spm = app.GetDocManager().GetTemplates()[1];
    std::wstring name = Path("scans/copy");
    ASSERT_TRUE(Prompt(
        name, false, [&](QFileDialog& d) { Confirm(d); }, spm));
    EXPECT_EQ(name, Path("scans/copy.spm"));
    EXPECT_TRUE(recorder.boxes.empty());

    // Replacing a file: No leaves the dialog open, Yes takes the file.
    recorder.answers = {fw::MsgAnswer::No, fw::MsgAnswer::Yes};
    name = Path("scans/a.spm");
    ASSERT_TRUE(Prompt(
        name, false,
        [&](QFileDialog& d) {
            Confirm(d);
            EXPECT_TRUE(d.isVisible());
            Confirm(d);
        },
        spm));
    EXPECT_EQ(name, Path("scans/a.spm"));
    const std::wstring question = Path("scans/a.spm") + L" already exists.\nDo you want to replace it?";
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, question);
    EXPECT_EQ(recorder.boxes[0].buttons, fw::MsgButtons::YesNo);

    // A caller that does not ask for the question gets the file at once.
    recorder.boxes.clear();
    doc::CFileDialogRequest request;
    request.openDialog = false;
    request.filters = doc::DialogFilters(app.GetDocManager().GetTemplates(), spm, &request.defaultExtension);
    request.fileName = Path("scans/B.SPM");
    dialog.onShown = [](QFileDialog& d) { AdvFileDialog::Confirm(d); };
    ASSERT_TRUE(dialog.Run(request));
    EXPECT_EQ(request.fileName, Path("scans/B.SPM"));
    EXPECT_TRUE(recorder.boxes.empty());
}
