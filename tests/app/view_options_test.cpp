#include "app/view_options.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zimbalo::app {
namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The switches survive a round trip; a missing, oversized or foreign file gives the defaults
// and never a crash; a switch that cannot be read keeps its default while the others are read.
TEST(ViewOptions, RoundTripAndBadFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(kViewOptionsFileName));
    EXPECT_FALSE(ReadViewOptions(path).dayNight);

    ASSERT_TRUE(WriteViewOptions(path, {true, false}));
    ViewOptions read = ReadViewOptions(path);
    EXPECT_TRUE(read.dayNight);
    EXPECT_FALSE(read.visibility);
    ASSERT_TRUE(WriteViewOptions(path, {false, true}));
    read = ReadViewOptions(path);
    EXPECT_FALSE(read.dayNight);
    EXPECT_TRUE(read.visibility);

    WriteBytes(path, "Visibility=1\r\nDayNight=yes\n\xff\xfe=1\n");
    read = ReadViewOptions(path);
    EXPECT_TRUE(read.visibility);
    EXPECT_FALSE(read.dayNight);

    WriteBytes(path, QByteArray(5000, 'x') + "\nDayNight=1\n");
    EXPECT_FALSE(ReadViewOptions(path).dayNight);

    // A folder that cannot hold the file: reported, nothing else written.
    EXPECT_FALSE(WriteViewOptions(dir.filePath(QStringLiteral("missing/view.ini")), {true, true}));
}

}  // namespace
}  // namespace zimbalo::app
