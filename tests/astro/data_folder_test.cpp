#include "astro/data_folder.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "astro/catalogue.h"

namespace fs = std::filesystem;
using namespace zimbalo::astro;

namespace {

// A fresh folder tree per test: <root>/bin and <root>/share/zimbalo.
class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path()
               / ("zimbalo_data_folder_"
                  + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                  + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "share" / "zimbalo");
        bin = (root / "bin").string() + "/";
        shared = (root / "share" / "zimbalo").string() + "/";
    }

    void TearDown() override { fs::remove_all(root); }

    static void touchCatalogue(const std::string& folder) {
        std::ofstream(folder + kCatalogueFileName) << "x";
    }

    fs::path root;
    std::string bin;
    std::string shared;
};

}  // namespace

TEST_F(DataFolderTest, BuildTreeBeforeInstallation) {
    touchCatalogue(bin);
    touchCatalogue(shared);
    EXPECT_EQ(FindDataFolder(bin), bin);
}

TEST_F(DataFolderTest, InstalledLayoutFoundFromBin) {
    touchCatalogue(shared);
    EXPECT_EQ(FindDataFolder(bin), shared);
    // The folder given without its trailing slash finds the same.
    EXPECT_EQ(FindDataFolder(bin.substr(0, bin.size() - 1)), shared);
}

TEST_F(DataFolderTest, MissingDataNamesEveryFolderSearched) {
    EXPECT_FALSE(FindDataFolder(bin).has_value());
    const std::string message = DataFolderNotFoundMessage(bin);
    EXPECT_NE(message.find("\"" + bin + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("\"" + shared + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(kCatalogueFileName), std::string::npos) << message;
}

TEST_F(DataFolderTest, ADirectoryNamedLikeTheCatalogueIsNotData) {
    fs::create_directories(bin + kCatalogueFileName);
    EXPECT_FALSE(FindDataFolder(bin).has_value());
}
