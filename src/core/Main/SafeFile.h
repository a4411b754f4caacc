// Text files on disk: reading into lines whatever the line ends (LF, CR LF, CR), and safe
// saving (temporary file in the target's folder, then rename over the target), so that a
// failed write leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvo {

enum class TLineEnd { LF, CRLF };

struct TTextFile {
    std::vector<std::string> Lines;  // without line ends
    TLineEnd LineEnd = TLineEnd::LF; // style of the first line end in the file; LF if none
};

// Splits text at LF, CR LF and lone CR. A final line end does not start another line.
TTextFile SplitTextLines(std::string_view text);
// Every line followed by the line end.
std::string JoinLines(const std::vector<std::string>& lines, TLineEnd lineEnd);

// Reads a whole file. On failure returns false and sets error to a reason such as
// "No such file or directory" or "Is a directory".
bool ReadFileBytes(const std::string& path, std::string& content, std::string& error);
bool ReadTextFile(const std::string& path, TTextFile& file, std::string& error);

// Writes content to path through a temporary file in the same folder and a rename. The new
// file keeps the old file's permission bits (0666 less the umask for a new file); a symbolic
// link at path is followed and its target replaced. On failure the temporary file is removed,
// the old file is untouched, and error holds the reason.
bool WriteFileAtomic(const std::string& path, std::string_view content, std::string& error);

} // namespace korvo
