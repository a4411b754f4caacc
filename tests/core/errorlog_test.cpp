// Error log: the three modes, the file layout, the fallback folder and locale stamps.
#include "ProjectFakes.h"
#include "errorlog/errorlog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

using namespace korvo;
using korvo::testkit::ReadAll;
using korvo::testkit::ScratchDir;
namespace fs = std::filesystem;

namespace {

class EnvVar {
public:
    explicit EnvVar(const char* name) : name_(name) {
        if (const char* v = std::getenv(name))
            old_ = v;
    }
    ~EnvVar() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    void Set(const std::string& v) { setenv(name_, v.c_str(), 1); }
    void Unset() { unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string all = ReadAll(path), cur;
    for (char c : all) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    EXPECT_TRUE(cur.empty()) << "last line not ended";
    return lines;
}

bool HasGermanLocale() {
    try {
        std::locale("de_DE.UTF-8");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// C locale stamps: 12/11/26 14:05:09, time 14:05:09.
const std::string kDate = R"(\d\d/\d\d/\d\d)";
const std::string kTime = R"(\d\d:\d\d:\d\d)";

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        lcAll_.Set("C");
        xdg_.Set(dir_ / "state");
        SetExecutableDir(dir_.str());
    }
    void TearDown() override {
        CloseErrorLog();
        SetExecutableDir("");
    }
    std::string LogPath() const { return dir_ / ERRORLOG_FILE_NAME; }

    EnvVar lcAll_{"LC_ALL"};
    EnvVar xdg_{"XDG_STATE_HOME"};
    EnvVar home_{"HOME"};
    ScratchDir dir_;
};

void ExpectMatches(const std::vector<std::string>& lines, const std::vector<std::string>& patterns) {
    ASSERT_EQ(lines.size(), patterns.size()) << ::testing::PrintToString(lines);
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << i << ": " << lines[i];
}

} // namespace

TEST_F(ErrorLogTest, OffUnlessTheOnlyArgumentIsASwitch) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"/LOG", "demo.plp"}, {"demo.plp"}, {"/LOGX"}, {"LOG"}, {"/ERRORLOG", "/LOG"}};
    for (const auto& args : cases) {
        EXPECT_EQ(InitErrorLog(args), "");
        EXPECT_FALSE(LogActive);
        EXPECT_FALSE(CompleteLog);
        Log("ordinary");
        LogErr("error");
        CloseErrorLog();
        EXPECT_FALSE(fs::exists(LogPath())) << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists(dir_ / "state"));
    }
}

TEST_F(ErrorLogTest, CompleteLogOnANewFile) {
    for (const char* sw : {"/LOG", "/log", "/Log"}) {
        fs::remove(LogPath());
        EXPECT_EQ(InitErrorLog({sw}), "");
        EXPECT_TRUE(LogActive);
        EXPECT_TRUE(CompleteLog);
        EXPECT_EQ(ErrorLogPath(), LogPath());
        Log("pictures.inf: 14 files loaded.");
        LogErr("pump.bmp not found");
        CloseErrorLog();
        EXPECT_FALSE(LogActive);
        EXPECT_FALSE(CompleteLog);
        Log("after close");
        LogErr("after close");
        ExpectMatches(FileLines(LogPath()),
                      {"Logfile opened on " + kDate + "( " + kTime + ")?", kTime + ": Complete log activated",
                       kTime + ": pictures.inf: 14 files loaded.", kTime + ": ERROR: pump.bmp not found",
                       "Logfile closed on " + kDate + "( " + kTime + ")?", ""});
    }
}

TEST_F(ErrorLogTest, ErrorLogAppendsToAnExistingFile) {
    std::string earlier = "Logfile opened on x\nLogfile closed on y\n\n";
    { std::ofstream(LogPath(), std::ios::binary) << earlier; }
    EXPECT_EQ(InitErrorLog({"/errorlog"}), "");
    EXPECT_TRUE(LogActive);
    EXPECT_FALSE(CompleteLog);
    Log("ordinary lines leave no trace");
    LogErr("Picture 'valve' unknown");
    CloseErrorLog();
    std::string all = ReadAll(LogPath());
    ASSERT_EQ(all.substr(0, earlier.size()), earlier);
    std::vector<std::string> lines = FileLines(LogPath());
    lines.erase(lines.begin(), lines.begin() + 3);
    ExpectMatches(lines, {"", "Logfile opened on .*", kTime + ": ERROR: Picture 'valve' unknown",
                          "Logfile closed on .*", ""});
}

TEST_F(ErrorLogTest, FallsBackToTheStateFolderAndSaysSo) {
    // The executable's "folder" is a file: nothing can be created in it.
    std::string notDir = dir_.Write("bin", "");
    SetExecutableDir(notDir);
    std::string notice = InitErrorLog({"/LOG"});
    std::string fallback = dir_ / "state/korvo/ERRORLOG.TXT";
    EXPECT_EQ(notice, "The error log cannot be written to " + notDir +
                          "/ERRORLOG.TXT (Not a directory); it is written to " + fallback + " instead.");
    EXPECT_TRUE(LogActive);
    EXPECT_EQ(ErrorLogPath(), fallback);
    LogErr("x");
    CloseErrorLog();
    EXPECT_EQ(FileLines(fallback).size(), 5u);
}

TEST_F(ErrorLogTest, StaysOffWhenNoFolderIsWritable) {
    std::string notDir = dir_.Write("bin", "");
    SetExecutableDir(notDir);
    xdg_.Set(notDir + "/state");
    std::string notice = InitErrorLog({"/ERRORLOG"});
    EXPECT_NE(notice.find("could not be opened"), std::string::npos) << notice;
    EXPECT_NE(notice.find("logging is off"), std::string::npos) << notice;
    EXPECT_FALSE(LogActive);
    EXPECT_FALSE(CompleteLog);
    LogErr("no crash without a file");
    CloseErrorLog();
}

TEST_F(ErrorLogTest, StateFolderFollowsXdgRules) {
    xdg_.Set("/var/state-x");
    EXPECT_EQ(UserStateDir(), "/var/state-x/korvo/");
    home_.Set("/home/someone");
    xdg_.Set("relative/ignored");
    EXPECT_EQ(UserStateDir(), "/home/someone/.local/state/korvo/");
    xdg_.Unset();
    EXPECT_EQ(UserStateDir(), "/home/someone/.local/state/korvo/");
}

TEST(ErrorLogStamps, GermanFormat) {
    if (!HasGermanLocale())
        GTEST_SKIP() << "locale de_DE.UTF-8 not installed (scripts/install-deps.sh generates it)";
    std::locale de("de_DE.UTF-8");
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = 13;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(DateTimeStamp(t, de), "09.12.2024 13:05:09");
    EXPECT_EQ(TimeStamp(t, de), "13:05:09");
    t.tm_hour = t.tm_min = t.tm_sec = 0; // midnight: the date alone
    EXPECT_EQ(DateTimeStamp(t, de), "09.12.2024");
    EXPECT_EQ(TimeStamp(t, de), "00:00:00");
}

TEST_F(ErrorLogTest, StampsUseTheUserLocale) {
    if (!HasGermanLocale())
        GTEST_SKIP() << "locale de_DE.UTF-8 not installed (scripts/install-deps.sh generates it)";
    lcAll_.Set("de_DE.UTF-8");
    InitErrorLog({"/LOG"});
    CloseErrorLog();
    const std::string deDate = R"(\d\d\.\d\d\.\d{4})";
    ExpectMatches(FileLines(LogPath()),
                  {"Logfile opened on " + deDate + "( " + kTime + ")?", kTime + ": Complete log activated",
                   "Logfile closed on " + deDate + "( " + kTime + ")?", ""});
}
