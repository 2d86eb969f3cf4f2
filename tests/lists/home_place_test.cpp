#include "lists/home_place.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(HomeFile, SurvivesARestart) {
    ScratchFolder dir;
    const std::string path = dir.Path(kHomeFileName);
    EXPECT_FALSE(ReadHomeFile(path).home);  // no file yet: no home, no complaint
    EXPECT_EQ(ReadHomeFile(path).problem, "");
    const HomePlace home{"Sankt Gallen – Café Bär", 47.4245, -9.3767, 675, "Europe/Zurich"};
    WriteHomeFile(path, home);
    const HomeFileResult read = ReadHomeFile(path);
    ASSERT_TRUE(read.home) << read.problem;
    EXPECT_EQ(*read.home, home);
    // Overwritten whole; a line break in a name cannot break the file.
    HomePlace other{"Zeile\neins", -33.86, 151.21, 3, "Australia/Sydney"};
    WriteHomeFile(path, other);
    other.name = "Zeile eins";
    EXPECT_EQ(*ReadHomeFile(path).home, other);
    EXPECT_THROW(WriteHomeFile(dir.Path("no/such/folder/home.txt"), home), HomeFileError);
}

TEST(HomeFile, DamagedFilesGiveAReasonAndNoHome) {
    const std::string good = HomeFileText({"Basel", 47.5, 7.5, 260, "Europe/Zurich"});
    ASSERT_TRUE(ParseHomeFile(good).home);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {"\x89PNG\r\n", "not a home place file"},
        {replaced("latitude=47.5", "latitude=47,5"), "latitude"},
        {replaced("latitude=47.5", "latitude=nan"), "latitude"},
        {replaced("longitude=7.5", "longitude=190"), "longitude"},
        {replaced("height=260", "height=2.5e3"), "height"},
        {replaced("zone=Europe/Zurich", "zone=../../etc/passwd"), "time zone"},
        {replaced("name=Basel", "name=Bas\xFF"), "UTF-8"},
        {replaced("zone=Europe/Zurich\n", ""), "\"zone\" is missing"},
        {good + "zone=UTC\n", "twice"},
        {good + "colour=red\n", "unknown key"},
        {good + std::string(5000, 'x'), "larger than 4096"},
    };
    for (const auto& [text, words] : cases) {
        const HomeFileResult result = ParseHomeFile(text);
        EXPECT_FALSE(result.home) << words;
        EXPECT_THAT(result.problem, HasSubstr(words));
    }
    // A long file on disk is read only up to the bound.
    ScratchFolder dir;
    WriteBytes(dir.Path("big"), std::string(1 << 20, 'x'));
    EXPECT_THAT(ReadHomeFile(dir.Path("big")).problem, HasSubstr("larger than"));
    EXPECT_THAT(ReadHomeFile(dir.Folder().string()).problem, HasSubstr("cannot be"));
}

}  // namespace
}  // namespace zimbalo::lists
