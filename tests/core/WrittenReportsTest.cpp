#include "stats/WrittenReports.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class WrittenReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("written-reports-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path Make(const char* name, const char* text = "old report") {
        const fs::path path = m_dir / name;
        std::ofstream(path) << text;
        return path;
    }
    // A save: a new file renamed over the old one.
    void Replace(const fs::path& path) {
        const fs::path temporary = m_dir / "save.tmp";
        std::ofstream(temporary) << "new report";
        fs::rename(temporary, path);
    }
    fs::path m_dir;
};

TEST_F(WrittenReportsTest, AFileThisRunNeverWroteWouldBeReplaced) {
    WrittenReports reports;
    EXPECT_TRUE(reports.WouldReplaceAnother(Make("opened.wtt")));
}

TEST_F(WrittenReportsTest, ANameWithoutAFileReplacesNothing) {
    WrittenReports reports;
    EXPECT_FALSE(reports.WouldReplaceAnother(m_dir / "new.wtt"));
}

TEST_F(WrittenReportsTest, EachSaveRenamesANewFileOverTheOldOneAndNotesItAnew) {
    WrittenReports reports;
    const fs::path path = Make("report.wtt");
    Replace(path);
    reports.Written(path);
    EXPECT_FALSE(reports.WouldReplaceAnother(path));
    Replace(path);
    reports.Written(path);
    EXPECT_FALSE(reports.WouldReplaceAnother(path));
}

TEST_F(WrittenReportsTest, AnotherSpellingOrALinkNamesTheSameWrittenFile) {
    WrittenReports reports;
    const fs::path path = Make("report.wtt");
    reports.Written(path);
    fs::create_symlink(path, m_dir / "link.wtt");
    EXPECT_FALSE(reports.WouldReplaceAnother(m_dir / "." / "report.wtt"));
    EXPECT_FALSE(reports.WouldReplaceAnother(m_dir / "link.wtt"));
    EXPECT_TRUE(reports.WouldReplaceAnother(Make("other.wtt")));
}

TEST_F(WrittenReportsTest, AFileChangedByAnotherProgramAfterTheSaveIsNotThisRunsAnyMore) {
    WrittenReports reports;
    const fs::path path = Make("report.wtt");
    reports.Written(path);
    fs::remove(path);
    Make("report.wtt", "another program's file");
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
    EXPECT_TRUE(reports.WouldReplaceAnother(path));
}

} // namespace
