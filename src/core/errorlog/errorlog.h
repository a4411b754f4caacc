// Optional diary of the program's start-up work, switched on by "/ERRORLOG" (error lines
// only) or "/LOG" (all lines) as the only command-line argument. Written to ERRORLOG.TXT next
// to the executable, or to the user's state folder when that folder is not writable.
#pragma once

#include <cstdio>
#include <ctime>
#include <locale>
#include <string>
#include <vector>

namespace korvo {

// The log file is open; error lines are written.
extern bool LogActive;
// Ordinary lines are written too; only ever true while LogActive is.
extern bool CompleteLog;
// The open log file, nullptr while logging is off.
extern std::FILE* LogFile;

inline constexpr const char* ERRORLOG_FILE_NAME = "ERRORLOG.TXT";

// Directory of the running executable, with a trailing '/'. SetExecutableDir overrides it
// (tests); an empty string returns to the real one.
std::string ExecutableDir();
void SetExecutableDir(const std::string& dir);

// The fallback folder: $XDG_STATE_HOME/korvo, or ~/.local/state/korvo.
std::string UserStateDir();

// Reads the command-line arguments (without the program name) and opens the log when a
// switch is the only argument. Returns a notice for the user when the log went to the
// fallback folder or could not be opened at all (logging then stays off); empty otherwise.
std::string InitErrorLog(const std::vector<std::string>& args);
// Writes the closing lines and closes the log; nothing is logged afterwards.
void CloseErrorLog();
// Time stamp, ": " and the message, with the complete log only.
void Log(const std::string& message);
// Time stamp, ": ERROR: " and the message, whenever the log is open.
void LogErr(const std::string& message);
// Path of the open log file; empty while logging is off.
std::string ErrorLogPath();

// Stamps in the given locale: the short date, a blank and the long time (the blank and the
// time left out at exactly 00:00:00), and the long time alone.
std::string DateTimeStamp(const std::tm& t, const std::locale& loc);
std::string TimeStamp(const std::tm& t, const std::locale& loc);

} // namespace korvo
