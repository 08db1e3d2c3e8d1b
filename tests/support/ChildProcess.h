#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvendo::test {

// A program run as a child process with its output in a temporary file, for
// load runs and tests that need real programs. The child is killed when the
// thread that started it ends (or the whole process dies), so start children
// from the test's main thread.
class ChildProcess {
public:
    // Absent when the program cannot be started; a program that exists but
    // cannot run exits with 127.
    static std::unique_ptr<ChildProcess> start(const std::string& program,
                                               const std::vector<std::string>& arguments);
    // Kills the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Standard output and error so far.
    std::string output() const;
    // Waits until the output holds the text.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit) const;
    void signal(int number) const;
    // The exit status, or absent if the child is still running at the limit.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // The child's peak resident memory (VmHWM) in KiB.
    std::optional<long> peakMemoryKiB() const { return memoryKiB("VmHWM:"); }
    // The child's resident memory now (VmRSS) in KiB.
    std::optional<long> residentMemoryKiB() const { return memoryKiB("VmRSS:"); }

private:
    ChildProcess(pid_t pid, std::string outputPath)
        : pid_(pid), outputPath_(std::move(outputPath)) {}
    // A figure of /proc/PID/status, by its field name with the colon.
    std::optional<long> memoryKiB(const std::string& field) const;

    pid_t pid_;
    std::string outputPath_;
    std::optional<int> exitStatus_;
};

// The port a tarvendo-server child reports in its "listening port N" line.
std::optional<int> listeningPort(const ChildProcess& server, std::chrono::milliseconds limit);

}  // namespace tarvendo::test
