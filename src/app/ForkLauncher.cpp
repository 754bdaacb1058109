#include "app/ForkLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace varnel {
namespace {

constexpr int kExecFailed = 127;
constexpr mode_t kOutputMode = 0666;  // narrowed by the umask

class ForkedProcess : public LaunchedProcess {
public:
    explicit ForkedProcess(pid_t pid) : pid_(pid) {}
    ~ForkedProcess() override {
        if (end_) return;
        Kill();
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ForkedProcess(const ForkedProcess&) = delete;
    ForkedProcess& operator=(const ForkedProcess&) = delete;

    std::optional<ProcessEnd> Ended() override {
        if (end_) return end_;
        siginfo_t info{};
        // Looked at without reaping: until it is reaped, its group id cannot pass to another.
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != pid_)
            return std::nullopt;
        // Whatever the run left in its group goes with it.
        ::kill(-pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        ProcessEnd end;
        if (WIFEXITED(status)) {
            end.exited = true;
            end.code = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            end.signal = WTERMSIG(status);
        }
        end_ = end;
        return end_;
    }
    void Terminate() override { Signal(SIGTERM); }
    void Kill() override { Signal(SIGKILL); }

private:
    void Signal(int signal) const {
        if (!end_) ::kill(-pid_, signal);
    }

    pid_t pid_;
    std::optional<ProcessEnd> end_;
};

bool NamedIn(const std::string& entry, const std::vector<std::string>& names) {
    const std::string name = entry.substr(0, entry.find('='));
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<std::string> ChildEnvironment(const LaunchRequest& request) {
    std::vector<std::string> names = request.unset;
    for (const std::string& entry : request.set) names.push_back(entry.substr(0, entry.find('=')));
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry)
        if (!NamedIn(*entry, names)) env.emplace_back(*entry);
    env.insert(env.end(), request.set.begin(), request.set.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeProgram(const char* folder, int output, char** argv, char** envp) {
    ::setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    const int input = ::open("/dev/null", O_RDONLY);
    if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::dup2(output, STDERR_FILENO) < 0 || ::chdir(folder) != 0)
        ::_exit(kExecFailed);
    ::execve(argv[0], argv, envp);
    ::_exit(kExecFailed);
}

}  // namespace

std::unique_ptr<LaunchedProcess> ForkLauncher::Launch(const LaunchRequest& request, std::string& problem) {
    const int output = ::open(request.outputPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kOutputMode);
    if (output < 0) {
        problem = request.outputPath + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::access(request.program.c_str(), X_OK) != 0) {
        problem = request.program + ": " + std::strerror(errno);
        ::close(output);
        return nullptr;
    }
    std::vector<std::string> args{request.program};
    args.insert(args.end(), request.arguments.begin(), request.arguments.end());
    std::vector<std::string> env = ChildEnvironment(request);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const pid_t pid = ::fork();
    if (pid < 0) {
        problem = std::string("fork: ") + std::strerror(errno);
        ::close(output);
        return nullptr;
    }
    if (pid == 0) BecomeProgram(request.folder.c_str(), output, argv.data(), envp.data());
    // Set here too, so a signal sent at once already finds the group.
    ::setpgid(pid, pid);
    ::close(output);
    return std::make_unique<ForkedProcess>(pid);
}

}  // namespace varnel
