#include <gtest/gtest.h>

#include <QFile>

#include "framework/fwText.h"
#include "framework/qt/fwQtPath.h"

TEST(QtPath, PathsCrossUnchangedOrNotAtAll) {
    const std::wstring plain = L"/data/scans/2.00 \u00B5m \u2126 \U0001F600.spm";
    EXPECT_EQ(fw::ToQPath(plain), QString::fromStdWString(plain));
    EXPECT_EQ(fw::FromQPath(fw::ToQPath(plain)), plain);
    // A replacement character from Qt is a character of a real name, not an escaped byte.
    EXPECT_EQ(fw::FromQPath(QStringLiteral("a\uFFFD.spm")), L"a\uFFFD.spm");

    // A name that is not UTF-8: where Qt cannot give its bytes back, it gets no name rather than that of
    // another file; its folder still crosses.
    const QByteArray raw("/data/a\xFF\xC0\xAF.spm");
    const std::wstring core = fw::FromUtf8(raw.toStdString());
    if (QFile::encodeName(QFile::decodeName(raw)) == raw) {
        EXPECT_EQ(fw::FromQPath(fw::ToQPath(core)), core);
    } else {
        EXPECT_TRUE(fw::ToQPath(core).isEmpty());
        RecordProperty("qt_names_undecodable_bytes", "no");
    }
    EXPECT_EQ(fw::ToQPath(core.substr(0, 6)), QStringLiteral("/data/"));
}
