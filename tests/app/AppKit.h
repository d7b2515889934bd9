#pragma once
// The application on the virtual display, started as a user starts it, with scans made for the test.
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "app/VantriApp.h"
#include "data/NanoScopeGen.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwQtApp.h"

class App : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The settings go to a folder of the test's own, never the user's.
        s_config = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", s_config->path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, s_config->path());
    }
    static void TearDownTestSuite() {
        delete s_config;
        s_config = nullptr;
    }
    void SetUp() override { QSettings(QStringLiteral("Ardwyn"), QStringLiteral("Vantri")).clear(); }
    void TearDown() override { app.reset(); }

    mframe::CMainFrame& Start(const QStringList& files = {}) {
        app = std::make_unique<mframe::CVantriApp>();
        EXPECT_TRUE(app->InitInstance(files));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app->MainFrame()));
        Idle();
        return *app->MainFrame();
    }
    // Lets the event loop run, with the idle passes that input would ask for.
    static void Idle() {
        fw::CQtApp::Get()->KickIdle();
        QTest::qWait(150);
    }

    // A NanoScope file of `images` images of size x size samples in the test's folder.
    std::string Scan(const std::string& name, int images, int size = 128) {
        testdata::NsFile file;
        file.images.clear();
        for (int k = 0; k < images; ++k) {
            testdata::NsImage image;
            image.columns = image.rows = size;
            image.type = k == 0 ? "Height" : "Amplitude";
            image.seed = static_cast<std::uint32_t>(k + 1);
            file.images.push_back(image);
        }
        const std::string path = QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
        testdata::WriteFile(path, testdata::MakeNanoScope(file));
        return path;
    }

    std::vector<fw::CChildFrame*> Frames() const { return app->MainFrame()->GetChildFrames(); }

    static inline QTemporaryDir* s_config = nullptr;
    QTemporaryDir dir;
    std::unique_ptr<mframe::CVantriApp> app;
};
