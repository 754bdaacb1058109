#include "support/VarnelRun.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/ScratchDir.h"
#include "support/TestPaths.h"

namespace varnel::test {

namespace {

// An output file opened for appending, closed when the run is over. Close-on-exec, so runs
// started by other threads at the same time do not inherit it.
class AppendFile {
public:
    explicit AppendFile(std::string path)
        : path_(std::move(path)), before_(ReadFileBytes(path_).size()),
          fd_(open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) {}
    ~AppendFile() {
        if (fd_ >= 0) close(fd_);
    }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    int fd() const { return fd_; }
    // What was added since it was opened.
    std::string Added() const { return ReadFileBytes(path_).substr(before_); }

private:
    std::string path_;
    size_t before_;
    int fd_;
};

}  // namespace

VarnelRun RunVarnel(const std::string& folder, const std::vector<std::string>& parameters, std::chrono::seconds limit,
                    int stderrFd) {
    AppendFile out(folder + "/stdout.txt");
    AppendFile err(folder + "/stderr.txt");
    VarnelRun run;
    {
        ChildProcess varnel(VarnelExe(), parameters, HeadlessEnvironment(folder + "/registry.reg"), folder, out.fd(),
                            stderrFd >= 0 ? stderrFd : err.fd());
        run.status = varnel.Wait(limit);
    }
    run.out = out.Added();
    run.err = err.Added();
    return run;
}

}  // namespace varnel::test
