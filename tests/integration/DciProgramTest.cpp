// A C program that knows only morvane.h binds an ISA and a PCI card of the
// simulator for direct calls, fills a rectangle on each and reads it back.
#include "DriverSocketPath.h"
#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Runs the program with args; what it printed, and whether it exited 0.
std::string RunProgram(std::vector<std::string> args, bool& succeeded)
{
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv{const_cast<char*>(DCI_FILL_RECT)};
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, DCI_FILL_RECT, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return printed;
}

TEST(DciProgramTest, FillsARectangleOnEachCardAndReadsItBack)
{
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    sim.openDriver(socket.path());
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false, .isaSlot = 0});
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false,
                      .pciCard = true});
    sim.start();
    bool succeeded = false;
    const std::string printed = RunProgram({"isa0", "pci1"}, succeeded);
    EXPECT_TRUE(succeeded) << printed;
    // White is the simulator's colour 20: the pixel byte 20.
    EXPECT_EQ(printed, "isa0: width 640 height 480 black 0x01010101\n"
                       "isa0: pixel 20 beside 0 white 20\n"
                       "pci1: width 640 height 480 black 0x01010101\n"
                       "pci1: pixel 20 beside 0 white 20\n");
}

}  // namespace
