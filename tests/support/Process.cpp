// POSIX process runner for CLI tests: fork/exec with three pipes, drained with poll.
#include "Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvo::test {

namespace {
void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
} // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, int timeoutSeconds) {
    ProcessResult result;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return result;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return result;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }

    std::vector<std::string> argvStore;
    argvStore.push_back(program);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execv(program.c_str(), argv.data());
        const char msg[] = "exec failed\n";
        [[maybe_unused]] ssize_t n = ::write(2, msg, sizeof msg - 1);
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    int inFd = in[1], outFd = out[0], errFd = err[0];
    if (pid < 0) {
        CloseFd(inFd);
        CloseFd(outFd);
        CloseFd(errFd);
        return result;
    }

    ::signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (input.empty())
        CloseFd(inFd);
    else
        ::fcntl(inFd, F_SETFL, O_NONBLOCK);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (outFd >= 0 || errFd >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        pollfd fds[3];
        int n = 0;
        if (outFd >= 0)
            fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0)
            fds[n++] = {errFd, POLLIN, 0};
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        int r = ::poll(fds, nfds_t(n), int(left.count()));
        if (r < 0 && errno != EINTR)
            break;
        for (int i = 0; i < n && r > 0; ++i) {
            if (!fds[i].revents)
                continue;
            if (fds[i].fd == inFd) {
                ssize_t w = ::write(inFd, input.data() + written, input.size() - written);
                if (w > 0)
                    written += size_t(w);
                if (w < 0 || written >= input.size())
                    CloseFd(inFd);
                continue;
            }
            char buf[4096];
            ssize_t got = ::read(fds[i].fd, buf, sizeof buf);
            if (got > 0) {
                (fds[i].fd == outFd ? result.out : result.err).append(buf, size_t(got));
            } else if (got == 0 || errno != EINTR) {
                if (fds[i].fd == outFd)
                    CloseFd(outFd);
                else
                    CloseFd(errFd);
            }
        }
    }
    CloseFd(inFd);
    CloseFd(outFd);
    CloseFd(errFd);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    return result;
}

} // namespace korvo::test
