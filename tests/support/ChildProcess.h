#pragma once

// Child processes for the integration tests that run many programs at once from several
// threads: everything the child needs is built before fork, so the child only calls chdir,
// dup2 and execve (a multi-threaded parent may hold the allocator's lock at fork time).

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace varnel::test {

struct ExitStatus {
    bool exited = false;    // ended by exit(), `code` valid
    int code = -1;
    int signal = 0;         // ended by this signal
    bool timedOut = false;  // still running at the limit; killed
    double seconds = 0;
};

inline const char* kHeadlessDrops[] = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "VARNEL_SETTINGS="};

// The parent's environment without a display (so varnel runs headless) and with the settings
// store at `settings` when given.
inline std::vector<std::string> HeadlessEnvironment(const std::string& settings) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        bool drop = false;
        for (const char* prefix : kHeadlessDrops) drop = drop || std::strncmp(*entry, prefix, std::strlen(prefix)) == 0;
        if (!drop) env.emplace_back(*entry);
    }
    if (!settings.empty()) env.push_back("VARNEL_SETTINGS=" + settings);
    return env;
}

class ChildProcess {
public:
    // `stdoutFd` / `stderrFd` < 0 leave the parent's in place.
    ChildProcess(const std::string& exe, const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& cwd, int stdoutFd = -1, int stderrFd = -1) {
        std::vector<std::string> argStore{exe};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : argStore) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStore = env;
        std::vector<char*> envp;
        for (std::string& e : envStore) envp.push_back(e.data());
        envp.push_back(nullptr);
        const char* dir = cwd.empty() ? nullptr : cwd.c_str();
        start_ = std::chrono::steady_clock::now();
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            if (dir && chdir(dir) != 0) _exit(127);
            if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
            if (stderrFd >= 0) dup2(stderrFd, STDERR_FILENO);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void Signal(int signal) const {
        if (pid_ > 0) kill(pid_, signal);
    }

    // Waits up to `limit`; a child still running then is killed and reported as timed out.
    ExitStatus Wait(std::chrono::milliseconds limit) {
        ExitStatus result;
        const auto deadline = start_ + limit;
        int status = 0;
        for (;;) {
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) break;
            if (done < 0) return result;
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                result.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        pid_ = -1;
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (WIFEXITED(status)) {
            result.exited = !result.timedOut;
            result.code = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
        return result;
    }

private:
    pid_t pid_ = -1;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace varnel::test
