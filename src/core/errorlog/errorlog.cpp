// Error log: module state, file placement and the line formats.
#include "errorlog/errorlog.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace korvo {

bool LogActive = false;
bool CompleteLog = false;
std::FILE* LogFile = nullptr;

namespace {

std::string gExeDirOverride;
std::string gLogPath;
// The user's regional settings, read once when the log is opened.
std::locale gLocale = std::locale::classic();

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string Format(const std::tm& t, const std::locale& loc, const char* fmt) {
    std::ostringstream out;
    out.imbue(loc);
    out << std::put_time(&t, fmt);
    return out.str();
}

std::tm Now() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

void WriteLine(const std::string& text) {
    if (!LogFile)
        return;
    std::fputs(text.c_str(), LogFile);
    std::fputc('\n', LogFile);
    std::fflush(LogFile); // a diary of start-up: keep what was written if the program dies
}

std::locale UserLocale() {
    try {
        return std::locale("");
    } catch (const std::exception&) {
        return std::locale::classic();
    }
}

// Opens dir/ERRORLOG.TXT for appending; existed tells whether it was there before.
std::FILE* OpenLogIn(const std::string& dir, std::string& path, bool& existed, std::string& error) {
    path = WithSlash(dir) + ERRORLOG_FILE_NAME;
    std::error_code ec;
    existed = fs::exists(path, ec);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        error = std::strerror(errno);
    return f;
}

} // namespace

std::string ExecutableDir() {
    if (!gExeDirOverride.empty())
        return gExeDirOverride;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return WithSlash(fs::current_path(ec).string());
    return WithSlash(exe.parent_path().string());
}

void SetExecutableDir(const std::string& dir) {
    gExeDirOverride = dir.empty() ? std::string() : WithSlash(dir);
}

std::string UserStateDir() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if (xdg && xdg[0] == '/') // relative values are ignored, as the XDG rules say
        return WithSlash(xdg) + "korvo/";
    const char* home = std::getenv("HOME");
    std::string h = home && home[0] ? home : "";
    if (h.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            h = pw->pw_dir;
    }
    if (h.empty())
        h = "/tmp";
    return WithSlash(h) + ".local/state/korvo/";
}

std::string InitErrorLog(const std::vector<std::string>& args) {
    if (LogActive || args.size() != 1)
        return {};
    std::string sw;
    for (char c : args[0])
        sw += char(std::toupper(static_cast<unsigned char>(c)));
    if (sw != "/ERRORLOG" && sw != "/LOG")
        return {};

    gLocale = UserLocale();
    std::string notice;
    bool existed = false;
    std::string path, error;
    std::string exeDir = ExecutableDir();
    std::FILE* f = OpenLogIn(exeDir, path, existed, error);
    if (!f) {
        std::string firstPath = path, firstError = error;
        std::string stateDir = UserStateDir();
        std::error_code ec;
        fs::create_directories(stateDir, ec);
        f = OpenLogIn(stateDir, path, existed, error);
        if (!f)
            return "The error log could not be opened (" + firstPath + ": " + firstError + "; " + path +
                   ": " + error + "); logging is off.";
        notice = "The error log cannot be written to " + firstPath + " (" + firstError +
                 "); it is written to " + path + " instead.";
    }

    LogActive = true;
    LogFile = f;
    gLogPath = path;
    if (existed)
        WriteLine("");
    WriteLine("Logfile opened on " + DateTimeStamp(Now(), gLocale));
    if (sw == "/LOG") {
        CompleteLog = true;
        Log("Complete log activated");
    } else {
        CompleteLog = false;
    }
    return notice;
}

void CloseErrorLog() {
    if (!LogActive)
        return;
    WriteLine("Logfile closed on " + DateTimeStamp(Now(), gLocale));
    WriteLine("");
    std::fclose(LogFile);
    LogFile = nullptr;
    LogActive = false;
    CompleteLog = false;
    gLogPath.clear();
}

void Log(const std::string& message) {
    if (CompleteLog)
        WriteLine(TimeStamp(Now(), gLocale) + ": " + message);
}

void LogErr(const std::string& message) {
    if (LogActive)
        WriteLine(TimeStamp(Now(), gLocale) + ": ERROR: " + message);
}

std::string ErrorLogPath() {
    return gLogPath;
}

std::string DateTimeStamp(const std::tm& t, const std::locale& loc) {
    std::string s = Format(t, loc, "%x");
    if (t.tm_hour != 0 || t.tm_min != 0 || t.tm_sec != 0)
        s += " " + Format(t, loc, "%X");
    return s;
}

std::string TimeStamp(const std::tm& t, const std::locale& loc) {
    return Format(t, loc, "%X");
}

} // namespace korvo
