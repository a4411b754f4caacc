// Text file reading with line-end detection and atomic saving.
#include "Main/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace korvo {

TTextFile SplitTextLines(std::string_view text) {
    TTextFile result;
    bool sawEnd = false;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        result.Lines.emplace_back(text.substr(start, i - start));
        bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (!sawEnd) {
            result.LineEnd = crlf ? TLineEnd::CRLF : TLineEnd::LF;
            sawEnd = true;
        }
        i += crlf ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        result.Lines.emplace_back(text.substr(start));
    return result;
}

std::string JoinLines(const std::vector<std::string>& lines, TLineEnd lineEnd) {
    const char* end = lineEnd == TLineEnd::CRLF ? "\r\n" : "\n";
    size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += end;
    }
    return out;
}

bool ReadFileBytes(const std::string& path, std::string& content, std::string& error) {
    content.clear();
    // Non-blocking open: a FIFO named in a project must not wait for a writer. Only regular
    // files are read; a device such as /dev/zero would never end.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        error = dir ? std::strerror(EISDIR) : "Not a regular file";
        return false;
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            ::close(fd);
            content.clear();
            return false;
        }
        if (n == 0)
            break;
        content.append(buf, size_t(n));
    }
    ::close(fd);
    return true;
}

bool ReadTextFile(const std::string& path, TTextFile& file, std::string& error) {
    std::string content;
    if (!ReadFileBytes(path, content, error))
        return false;
    file = SplitTextLines(content);
    return true;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

mode_t DefaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool WriteFileAtomic(const std::string& path, std::string_view content, std::string& error) {
    if (path.empty()) {
        error = "No file name";
        return false;
    }
    std::error_code ec;
    fs::path target(path);
    // Replace the file a link points to, not the link.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    fs::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    if (target.filename().empty()) {
        error = std::strerror(EISDIR);
        return false;
    }

    struct stat st {};
    mode_t mode = DefaultMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = std::strerror(EISDIR);
            return false;
        }
        mode = st.st_mode & 07777;
    }

    std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        error = std::strerror(err);
        return false;
    };
    if (!WriteAll(fd, content))
        return fail(errno);
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        error = std::strerror(err);
        return false;
    }
    if (::rename(tmpl.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        error = std::strerror(err);
        return false;
    }
    return true;
}

} // namespace korvo
