// A program of one's own that knows only morvane.h reaches every port type
// of `gensim --demo` with nothing in its environment but the lines gensim
// wrote to its env file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Spawns program with args and exactly the environment given; its output
// goes to fd (or nowhere when -1).
pid_t Spawn(const char* program, std::vector<std::string> args, std::vector<std::string> env, int fd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& line : env)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The lines of the file once it is there (gensim renames it into place whole).
std::vector<std::string> EnvLines(const fs::path& path)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < until)
        poll(nullptr, 0, 10);
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

class DemoPreset : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/demo-preset-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const std::vector<std::string> inherited = {"PATH=/usr/bin:/bin"};
        gensim = Spawn(GENSIM_PATH, {"--demo", "--env-file", (dir / "env").string()}, inherited, -1);
        ASSERT_GT(gensim, 0);
    }

    void TearDown() override
    {
        if (gensim > 0) {
            kill(gensim, SIGTERM);
            waitpid(gensim, nullptr, 0);
        }
        fs::remove_all(dir);
    }

    fs::path dir;
    pid_t gensim = -1;
};

// Every COM port but the first answers at another rate than the library
// opens with: the program searches, as the program's connect does.
TEST_F(DemoPreset, AProgramGivenOnlyTheEnvFileLinesOpensEveryPortType)
{
    const std::vector<std::string> env = EnvLines(dir / "env");
    ASSERT_FALSE(env.empty()) << "gensim wrote no env file";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t program = Spawn(PRINT_IDENTITY, {"com1", "com2", "com3", "com4", "gpib5:0", "isa0", "pci1", "pci2"},
                                env, out[1]);
    close(out[1]);
    ASSERT_GT(program, 0);
    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(program, &status, 0), program);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(printed, "com1: Veltrane,VG-7000,100001,7.041\n"
                       "com2: Veltrane,VG-7000,100002,7.041\n"
                       "com3: Veltrane,VG-7000,100007,2.453\n"
                       "com4: Veltrane,R72Q,100008,7.041\n"
                       "gpib5:0: Veltrane,VG-7000,100003,7.011\n"
                       "isa0: Veltrane,VG-7000,100004,3.05\n"
                       "pci1: Veltrane,VG-7000,100005,7.045\n"
                       "pci2: Veltrane,VG-7000,100006,7.011\n");
}

} // namespace
