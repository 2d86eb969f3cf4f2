#include "app/settings_record.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zimbalo::app {
namespace {

std::vector<std::uint8_t> bytesOf(const QByteArray& data) {
    return {data.begin(), data.end()};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

std::int32_t int32At(const std::array<std::uint8_t, kSettingsSize>& b, std::size_t offset) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[offset])
                                     | static_cast<std::uint32_t>(b[offset + 1]) << 8
                                     | static_cast<std::uint32_t>(b[offset + 2]) << 16
                                     | static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

TEST(SettingsLayout, DefaultsSitAtTheirOffsets) {
    const auto b = WriteSettings(DefaultSettings("1.0.0"));
    EXPECT_EQ(b[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1]), 5), "1.0.0");
    EXPECT_EQ(b[6], 0) << "padding after the version";
    EXPECT_EQ(b[17], 0);
    EXPECT_EQ(int32At(b, 18), 169);
    EXPECT_EQ(int32At(b, 22), 232);
    EXPECT_EQ(int32At(b, 26), 773);
    EXPECT_EQ(int32At(b, 30), 1024);
    EXPECT_EQ(b[34], 0);
    EXPECT_EQ(int32At(b, 35), 0);
    EXPECT_EQ(int32At(b, 39), 1);
    EXPECT_EQ(b[43], 0);
    EXPECT_EQ(int32At(b, 44), 0);
    EXPECT_EQ(int32At(b, 48), 2);
    EXPECT_EQ(b[52], 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[53]), 4), "47.5");
    EXPECT_EQ(b[69], 1);
    EXPECT_EQ(b[70], 0);
    EXPECT_EQ(b[71], 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[72]), 4), "7.53");
    EXPECT_EQ(b[88], 1);
    EXPECT_EQ(b[89], 0);
    EXPECT_EQ(int32At(b, 93), 6300);
    EXPECT_EQ(int32At(b, 97), 140);
    EXPECT_EQ(int32At(b, 101), 222);
    EXPECT_EQ(int32At(b, 105), 222);
    EXPECT_EQ(int32At(b, 109), 155);
    EXPECT_EQ(int32At(b, 113), 0);
    EXPECT_EQ(int32At(b, 117), 773);
    EXPECT_EQ(int32At(b, 121), 1222);
    EXPECT_EQ(int32At(b, 222), 155);
    EXPECT_EQ(int32At(b, 226), 67);
    EXPECT_EQ(int32At(b, 230), 773);
    EXPECT_EQ(int32At(b, 234), 1222);
    EXPECT_EQ(b[238], 0);
    EXPECT_EQ(int32At(b, 239), 0);
}

TEST(SettingsLayout, EveryFieldRoundTripsAtItsOffset) {
    SettingsRecord r = DefaultSettings("2.3.4.5");
    r.windowState = 2;
    r.top = -20;
    r.left = 1900;
    r.language = 2;
    r.currentIndex = 1780;
    r.universalTime = true;
    r.poiLatitude = "12.25";
    r.poiSouth = true;
    r.poiNorth = false;
    r.histPlace = "Z\u00FCrich Hauptbahnhof und Umgebung";  // 32 characters fit exactly
    r.histHeightText = "408";
    r.histWest = true;
    r.histToIndex = 120;
    r.listPopulationIndex = 9;
    const auto b = WriteSettings(r);
    EXPECT_EQ(b[126], 32);
    EXPECT_EQ(b[127 + 1], 0xFC) << "the u-umlaut is stored as one Windows-1252 byte";
    EXPECT_EQ(b[195], 1);
    EXPECT_EQ(b[197], 3);
    EXPECT_EQ(int32At(b, 218), 120);
    EXPECT_EQ(int32At(b, 239), 9);
    const auto back = ReadSettings(b);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, r);
    EXPECT_EQ(WriteSettings(*back), b) << "a round trip is byte for byte";
}

TEST(SettingsLayout, LongTextsAreCutToTheFieldAndOnlyWholeRecordsRead) {
    SettingsRecord r;
    r.poiLatitude = "123456789012345678";
    r.histPlace = std::string(40, 'x');
    const auto b = WriteSettings(r);
    EXPECT_EQ(b[52], 16);
    EXPECT_EQ(b[126], 32);
    EXPECT_EQ(ReadSettings(b)->poiLatitude, "1234567890123456");
    // A length byte beyond the capacity cannot reach into the next field.
    auto damaged = b;
    damaged[52] = 200;
    EXPECT_EQ(ReadSettings(damaged)->poiLatitude.size(), 16u);
    EXPECT_EQ(ReadSettings(damaged)->poiNorth, r.poiNorth);
    EXPECT_FALSE(ReadSettings(std::span(b.data(), 242)).has_value());
    std::vector<std::uint8_t> longer(b.begin(), b.end());
    longer.push_back(0);
    EXPECT_FALSE(ReadSettings(longer).has_value());
}

TEST(SanitizeSettings, OutOfRangeFieldsFallBackToTheirDefaults) {
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1080)};
    SettingsRecord r;
    r.currentIndex = 0;
    r.textureIndex = 7;
    r.gridIndex = -1;
    r.width = -500;
    r.height = 0;
    r.language = 9;
    r.timePosition = 99999;
    r.zoomPosition = 10;
    r.listPopulationIndex = 10;
    r.windowState = 5;
    const auto replaced = SanitizeSettings(r, 1780, screens);
    const SettingsRecord d;
    EXPECT_EQ(r.currentIndex, 1);
    EXPECT_EQ(r.textureIndex, 0);
    EXPECT_EQ(r.gridIndex, 2);
    EXPECT_EQ(r.width, d.width);
    EXPECT_EQ(r.height, d.height);
    EXPECT_EQ(r.language, 0);
    EXPECT_EQ(r.timePosition, 6300);
    EXPECT_EQ(r.zoomPosition, 140);
    EXPECT_EQ(r.listPopulationIndex, 0);
    EXPECT_EQ(r.windowState, 0);
    EXPECT_GE(replaced.size(), 10u);

    SettingsRecord high;
    high.currentIndex = 9999;
    SanitizeSettings(high, 1780, screens);
    EXPECT_EQ(high.currentIndex, 1);

    SettingsRecord fine;
    fine.currentIndex = 1780;
    fine.textureIndex = 3;
    fine.gridIndex = 6;
    const SettingsRecord before = fine;
    EXPECT_TRUE(SanitizeSettings(fine, 1780, screens).empty());
    EXPECT_EQ(fine, before);
}

TEST(SanitizeSettings, AWindowOffEveryScreenComesBack) {
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    SettingsRecord r;
    r.left = 5000;
    r.top = 100;
    r.histLeft = -3000;
    r.listTop = 2000000000;
    SanitizeSettings(r, 1780, screens);
    const SettingsRecord d;
    EXPECT_EQ(r.left, d.left);
    EXPECT_EQ(r.top, d.top);
    EXPECT_EQ(r.histLeft, d.histLeft);
    EXPECT_EQ(r.listTop, d.listTop);

    // On the second screen, or hanging half off the first: kept.
    SettingsRecord ok;
    ok.left = 2000;
    ok.top = 10;
    ok.histLeft = -600;
    SanitizeSettings(ok, 1780, screens);
    EXPECT_EQ(ok.left, 2000);
    EXPECT_EQ(ok.histLeft, -600);

    // A small screen where even the default place is off: the screen's corner.
    SettingsRecord tiny;
    tiny.left = 3000;
    SanitizeSettings(tiny, 1780, {QRect(0, 0, 200, 150)});
    EXPECT_EQ(tiny.left, 0);
    EXPECT_EQ(tiny.top, 0);
}

TEST(SanitizeSettings, HemisphereButtonsAreOneOfTwo) {
    SettingsRecord r;
    r.poiNorth = r.poiSouth = true;
    r.poiEast = r.poiWest = false;
    SanitizeSettings(r, 1780, {});
    EXPECT_TRUE(r.poiNorth);
    EXPECT_FALSE(r.poiSouth);
    EXPECT_TRUE(r.poiEast);
    EXPECT_FALSE(r.poiWest);
}

class SettingsFile : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path() const { return dir.path() + "/Zimbalo/Zimbalo.ini"; }

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(dir.path() + "/Zimbalo")); }
};

TEST_F(SettingsFile, FirstStartCreatesTheDefaults) {
    const LoadedSettings loaded = LoadOrCreateSettings(path(), "1.0.0");
    EXPECT_EQ(loaded.origin, SettingsOrigin::Created);
    EXPECT_EQ(loaded.record, DefaultSettings("1.0.0"));
    const QByteArray data = readFile(path());
    ASSERT_EQ(data.size(), 243);
    EXPECT_EQ(ReadSettings(bytesOf(data)), DefaultSettings("1.0.0"));
}

TEST_F(SettingsFile, ASavedRecordIsReadBack) {
    SettingsRecord r = DefaultSettings("1.0.0");
    r.currentIndex = 777;
    r.language = 1;
    ASSERT_EQ(SaveSettings(path(), r), std::nullopt);
    const LoadedSettings loaded = LoadOrCreateSettings(path(), "1.0.0");
    EXPECT_EQ(loaded.origin, SettingsOrigin::Read);
    EXPECT_EQ(loaded.record, r);
}

TEST_F(SettingsFile, AnotherVersionsFileIsReplaced) {
    SettingsRecord r = DefaultSettings("0.9.1");
    r.currentIndex = 500;
    ASSERT_EQ(SaveSettings(path(), r), std::nullopt);
    const LoadedSettings loaded = LoadOrCreateSettings(path(), "1.0.0");
    EXPECT_EQ(loaded.origin, SettingsOrigin::ReplacedVersion);
    EXPECT_EQ(loaded.record.currentIndex, 1);
    EXPECT_EQ(ReadSettings(bytesOf(readFile(path())))->version, "1.0.0");
}

TEST_F(SettingsFile, AShortOrEmptyFileIsReplacedNotFatal) {
    const auto whole = WriteSettings(DefaultSettings("1.0.0"));
    for (const int size : {0, 5, 100, 242, 300}) {
        QByteArray data(reinterpret_cast<const char*>(whole.data()),
                        std::min<qsizetype>(size, 243));
        data.resize(size, '\0');
        writeFile(path(), data);
        const LoadedSettings loaded = LoadOrCreateSettings(path(), "1.0.0");
        EXPECT_NE(loaded.origin, SettingsOrigin::Read) << size;
        EXPECT_NE(loaded.origin, SettingsOrigin::NotKept) << size;
        EXPECT_EQ(loaded.record, DefaultSettings("1.0.0")) << size;
        EXPECT_EQ(readFile(path()).size(), 243) << size;
    }
}

TEST_F(SettingsFile, AnUnwritableFolderGivesDefaultsAndSaysSo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QString folder = dir.path() + "/Zimbalo";
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const LoadedSettings loaded = LoadOrCreateSettings(path(), "1.0.0");
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(loaded.origin, SettingsOrigin::NotKept);
    EXPECT_TRUE(loaded.problem.contains("Zimbalo")) << loaded.problem.toStdString();
    EXPECT_EQ(loaded.record, DefaultSettings("1.0.0"));
}

TEST_F(SettingsFile, AFolderThatCannotBeMadeGivesDefaultsAndSaysSo) {
    writeFile(dir.path() + "/blocker", "x");
    const LoadedSettings loaded =
        LoadOrCreateSettings(dir.path() + "/blocker/Zimbalo.ini", "1.0.0");
    EXPECT_EQ(loaded.origin, SettingsOrigin::NotKept);
    EXPECT_TRUE(loaded.problem.contains("blocker")) << loaded.problem.toStdString();
    EXPECT_EQ(loaded.record, DefaultSettings("1.0.0"));
}

TEST_F(SettingsFile, SavingIntoAFolderThatIsAFileFailsAndSaysWhy) {
    writeFile(dir.path() + "/blocker", "x");
    const std::optional<QString> reason =
        SaveSettings(dir.path() + "/blocker/Zimbalo.ini", SettingsRecord{});
    ASSERT_TRUE(reason.has_value());
    EXPECT_TRUE(reason->contains("blocker")) << reason->toStdString();
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFileWhole) {
    SettingsRecord r = DefaultSettings("1.0.0");
    r.currentIndex = 42;
    ASSERT_EQ(SaveSettings(path(), r), std::nullopt);
    // A folder in the way of the temporary file's rename target cannot be replaced.
    const QString target = dir.path() + "/Zimbalo/sub";
    ASSERT_TRUE(QDir().mkpath(target));
    const std::optional<QString> reason = SaveSettings(target, r);
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->isEmpty());
    EXPECT_EQ(ReadSettings(bytesOf(readFile(path())))->currentIndex, 42);
    // No temporary file stays behind.
    const QStringList left = QDir(dir.path() + "/Zimbalo").entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{"Zimbalo.ini"});
}

}  // namespace
}  // namespace zimbalo::app
