#pragma once
// A program of ours run by a test as a separate process, as scripts run it: its exit status,
// stdout and stderr. Output goes to files, so a full pipe can never hold the program up.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace tavlo::testing {

struct Outcome {
    int status = -1; // the exit status; -1 when the program did not exit by itself
    std::string out, err;
};

// Starts `exe` with `args`, its stdout into `outPath` and its stderr into `errPath`; 0 (and a
// failure of the test) when it cannot be started.
inline pid_t startProgram(const char* exe, const std::vector<std::string>& args,
                          const std::string& outPath, const std::string& errPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv{const_cast<char*>(exe)};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, exe, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start " << exe;
        return 0;
    }
    return pid;
}

// Waits for the program and reads what it wrote.
inline Outcome waitProgram(pid_t pid, const std::string& outPath, const std::string& errPath)
{
    Outcome r;
    if (pid == 0)
        return r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto bytes = [](const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    r.out = bytes(outPath);
    r.err = bytes(errPath);
    return r;
}

// A test that runs `exe` as a separate process: a fresh folder `root` under /tmp (removed after
// the test), where the program's output goes.
class ProgramTest : public ::testing::Test {
  protected:
    explicit ProgramTest(const char* exe) : exe_(exe) {}
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    pid_t start(const std::vector<std::string>& args)
    {
        return startProgram(exe_, args, root + "/stdout", root + "/stderr");
    }
    Outcome wait(pid_t pid) { return waitProgram(pid, root + "/stdout", root + "/stderr"); }
    Outcome run(const std::vector<std::string>& args) { return wait(start(args)); }

    std::string root;

  private:
    const char* exe_;
};

} // namespace tavlo::testing
