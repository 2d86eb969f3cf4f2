#include "app/version_info.h"

#include <QCoreApplication>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/about_panel.h"
#include "app/caption_sets.h"

namespace zimbalo::app {
namespace {

VersionResource FullResource() {
    VersionResource r;
    r.translations = {0x04E40407};  // German, code page 1252
    r.stringTables["040704e4"] = {
        {"CompanyName", "Firma"},       {"FileDescription", "Beschreibung"},
        {"FileVersion", "2.3.4.5"},     {"InternalName", "intern"},
        {"LegalCopyRight", "(c) 2026"}, {"LegalTradeMarks", "TM"},
        {"OriginalFileName", "orig"},   {"ProductName", "Produkt"},
        {"ProductVersion", "2.3"},      {"Comments", "Kommentar"},
        {"SpecialBuild", "spezial"},    {"PrivateBuild", "privat"},
    };
    r.hasFixedPart = true;
    r.fileFlags = 0x3F;
    r.fileFlagsMask = 0x3F;
    r.fileType = 1;
    return r;
}

TEST(ReadVersionInfo, StringsComeFromTheFirstTranslationsTable) {
    const VersionResource full = FullResource();
    const TFileVersionInfo info = ReadVersionInfo(QString(), &full);
    EXPECT_EQ(info.CompanyName, "Firma");
    EXPECT_EQ(info.FileVersion, "2.3.4.5");
    EXPECT_EQ(info.LegalTradeMarks, "TM");
    EXPECT_EQ(info.Comments, "Kommentar");
    EXPECT_EQ(info.SpecialBuild, "spezial");
    EXPECT_EQ(info.PrivateBuild, "privat");
    EXPECT_EQ(info.FileFunction, "Application");
    EXPECT_TRUE(info.DebugBuild && info.PreRelease && info.SpecialBuildFlag && info.PrivateBuildFlag
                && info.Patched && info.InfoInferred);
    EXPECT_TRUE(info.FileType.isEmpty());  // no such file

    // A first translation that names another code page finds no strings, even though a second
    // entry would match; the fixed part is read all the same.
    VersionResource otherCodePage = FullResource();
    otherCodePage.translations = {0x04B00407, 0x04E40407};
    const TFileVersionInfo other = ReadVersionInfo(QString(), &otherCodePage);
    EXPECT_TRUE(other.CompanyName.isEmpty());
    EXPECT_TRUE(other.FileVersion.isEmpty());
    EXPECT_EQ(other.FileFunction, "Application");
    EXPECT_TRUE(other.DebugBuild);

    // No translation entry at all.
    VersionResource none = FullResource();
    none.translations.clear();
    EXPECT_TRUE(ReadVersionInfo(QString(), &none).ProductName.isEmpty());
}

TEST(ReadVersionInfo, FlagNeedsBothFlagsAndMask) {
    VersionResource r = FullResource();
    r.fileFlags = version_flag::kDebug | version_flag::kSpecialBuild | version_flag::kPatched;
    r.fileFlagsMask = version_flag::kDebug | version_flag::kPrivateBuild | version_flag::kPatched;
    const TFileVersionInfo info = ReadVersionInfo(QString(), &r);
    EXPECT_TRUE(info.DebugBuild);
    EXPECT_TRUE(info.Patched);
    EXPECT_FALSE(info.SpecialBuildFlag);  // set but masked out
    EXPECT_FALSE(info.PrivateBuildFlag);  // in the mask but not set
    EXPECT_FALSE(info.PreRelease);
    EXPECT_FALSE(info.InfoInferred);

    r.hasFixedPart = false;
    const TFileVersionInfo noFixed = ReadVersionInfo(QString(), &r);
    EXPECT_FALSE(noFixed.DebugBuild);
    EXPECT_TRUE(noFixed.FileFunction.isEmpty());
    EXPECT_EQ(noFixed.FileVersion, "2.3.4.5");
}

TEST(FileFunctionText, TypesAndSubtypes) {
    EXPECT_EQ(FileFunctionText(0, 0), "Unknown");
    EXPECT_EQ(FileFunctionText(2, 0), "DLL");
    EXPECT_EQ(FileFunctionText(3, 0), "Unknown Driver");
    EXPECT_EQ(FileFunctionText(3, 8), "InstallableDriver");
    EXPECT_EQ(FileFunctionText(3, 10), "Communications Driver");
    EXPECT_EQ(FileFunctionText(3, 11), "");
    EXPECT_EQ(FileFunctionText(4, 3), "Truetype Font");
    EXPECT_EQ(FileFunctionText(4, 4), "");
    EXPECT_EQ(FileFunctionText(5, 0x1A2B), "Virtual Defice Identifier = 00001A2B");
    EXPECT_EQ(FileFunctionText(5, 0xFFFFFFFFU), "Virtual Defice Identifier = FFFFFFFF");
    EXPECT_EQ(FileFunctionText(6, 0), "");
    EXPECT_EQ(FileFunctionText(7, 0), "Static-link Library");
    EXPECT_EQ(FileFunctionText(8, 0), "");
}

TEST(ReadVersionInfo, OwnExecutableCarriesTheBuiltInRecord) {
    // The test program stands in for the program: it is the running executable.
    const TFileVersionInfo own = OwnVersionInfo();
    EXPECT_FALSE(own.FileType.isEmpty());
    EXPECT_LE(own.FileType.size(), 80);
    EXPECT_EQ(own.FileVersion, FileVersion());
    EXPECT_FALSE(own.FileVersion.isEmpty());
    EXPECT_EQ(own.ProductVersion, own.FileVersion);
    EXPECT_EQ(own.ProductName, "Zimbalo");
    EXPECT_FALSE(own.CompanyName.isEmpty());
    EXPECT_FALSE(own.FileDescription.isEmpty());
    EXPECT_FALSE(own.LegalCopyRight.isEmpty());
    EXPECT_EQ(own.FileFunction, "Application");
    // The version stamp of the settings file keeps 16 characters; ours fits.
    EXPECT_LE(own.FileVersion.size(), 16);

    // Another file carries no version: only its type.
    const QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text\n");
    file.close();
    const TFileVersionInfo foreign = ReadVersionInfo(other);
    EXPECT_FALSE(foreign.FileType.isEmpty());
    EXPECT_TRUE(foreign.FileVersion.isEmpty());
    EXPECT_TRUE(foreign.CompanyName.isEmpty());
    EXPECT_FALSE(foreign.DebugBuild);

    // A missing file: nothing at all.
    EXPECT_EQ(ReadVersionInfo(dir.filePath(QStringLiteral("missing"))), TFileVersionInfo());
}

TEST(VersionGrid, SeventeenRowsOfTheBuiltInRecord) {
    QTableWidget grid;
    const TFileVersionInfo own = OwnVersionInfo();
    FillVersionGrid(grid, own);
    ASSERT_EQ(grid.rowCount(), 17);
    ASSERT_EQ(grid.columnCount(), 2);
    for (int row = 0; row < 17; ++row) {
        ASSERT_NE(grid.item(row, 0), nullptr);
        EXPECT_EQ(grid.item(row, 0)->text().size(), 16) << row;
    }
    EXPECT_EQ(grid.item(0, 0)->text(), "FileType        ");
    EXPECT_EQ(grid.item(3, 0)->text(), "FileVersion     ");
    EXPECT_EQ(grid.item(3, 1)->text(), FileVersion());
    EXPECT_EQ(grid.item(7, 0)->text(), "OriginalFileName");
    EXPECT_EQ(grid.item(8, 1)->text(), "Zimbalo");
    EXPECT_EQ(grid.item(10, 0)->text(), "SpecialBuildStr ");
    EXPECT_EQ(grid.item(12, 1)->text(), "Application");
#ifdef NDEBUG
    EXPECT_EQ(grid.item(13, 1)->text(), "No");
#else
    EXPECT_EQ(grid.item(13, 1)->text(), "Yes");
#endif
    EXPECT_EQ(grid.item(15, 0)->text(), "PrivateBuild    ");
    EXPECT_EQ(grid.item(16, 0)->text(), "SpecialBuild    ");
    EXPECT_EQ(grid.item(16, 1)->text(), "No");

    // Refilling with an empty record clears every value; flags read "No".
    FillVersionGrid(grid, TFileVersionInfo());
    for (int row = 0; row < 13; ++row) {
        EXPECT_TRUE(grid.item(row, 1)->text().isEmpty()) << row;
    }
    for (int row = 13; row < 17; ++row) {
        EXPECT_EQ(grid.item(row, 1)->text(), "No") << row;
    }
}

TEST(VersionGrid, FlagRowsShowTheirOwnFlag) {
    // Each flag row must show its own flag, not a neighbour's.
    TFileVersionInfo info;
    info.PrivateBuildFlag = true;
    auto rows = VersionGridRows(info);
    EXPECT_EQ(rows[13].second, "No");
    EXPECT_EQ(rows[14].second, "No");
    EXPECT_EQ(rows[15].second, "Yes");
    EXPECT_EQ(rows[16].second, "No");
    info = TFileVersionInfo();
    info.SpecialBuildFlag = true;
    info.PreRelease = true;
    info.Patched = true;  // read but not shown
    rows = VersionGridRows(info);
    EXPECT_EQ(rows[13].second, "No");
    EXPECT_EQ(rows[14].second, "Yes");
    EXPECT_EQ(rows[15].second, "No");
    EXPECT_EQ(rows[16].second, "Yes");
    info = TFileVersionInfo();
    info.SpecialBuild = "s";
    info.PrivateBuild = "p";
    rows = VersionGridRows(info);
    EXPECT_EQ(rows[10].second, "s");
    EXPECT_EQ(rows[11].second, "p");
}

TEST(MainWindowTitle, VersionAndSuffixOfEachLanguage) {
    EXPECT_EQ(MainWindowTitle("1.0.0", Language::German),
              "Zimbalo 1.0.0 - Der Planetenbedeckungs-Vardel");
    EXPECT_EQ(MainWindowTitle("1.0.0", Language::English),
              "Zimbalo 1.0.0 - The planetary occultations Vardel");
    EXPECT_EQ(MainWindowTitle("1.0.0", Language::French),
              "Zimbalo 1.0.0 - le Vardel des occultations plan\xC3\xA9taires           ");
    // Without version data the suffix follows the name directly.
    EXPECT_EQ(MainWindowTitle("", Language::English),
              "Zimbalo  - The planetary occultations Vardel");
    EXPECT_EQ(AboutCaption(QStringLiteral("1.0.0")), "Zimbalo      1.0.0");
}

TEST(AboutPanel, CentredInItsParentAndNeverLeftOfIt) {
    EXPECT_EQ(AboutPanelPosition(1024, 360), std::make_pair(332, 0));
    EXPECT_EQ(AboutPanelPosition(300, 360), std::make_pair(0, 0));
}

}  // namespace
}  // namespace zimbalo::app
