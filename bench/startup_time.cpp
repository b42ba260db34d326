// Start-up of the program as a whole process: from spawning it to its main
// window shown (the splash shortened to a few milliseconds, so the figure is
// the program's own work), and the process's peak memory.
//
//   build/bench/bench_startup [runs] [splash-ms]
//
// The program runs with the offscreen platform unless a display or platform
// is given, and with a profile of its own in a temporary folder.

#include "CAboutDlg.h"
#include "CMainWindow.h"
#include "CManagerApp.h"
#include "Profile.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kWaitLimitMs = 60000;

// The program as zot3 starts it; says "shown" on fd once its window is up
// and the first events (show, expose, paint) are through, then closes.
int RunProgram(int argc, char *argv[], int splashMs, int fd)
{
    SetApplicationIdentity();
    QApplication application(argc, argv);
    CAboutDlg::SetSplashInterval(splashMs);
    CManagerApp app;
    if (!app.InitInstance())
        return 1;
    QTimer::singleShot(0, [&] {
        const char shown = 'S';
        if (write(fd, &shown, 1) != 1)
            std::perror("write");
        app.MainWindow()->close();
        QCoreApplication::quit();
    });
    return application.exec();
}

struct Run {
    double seconds = 0;
    long peakKiB = 0;
};

bool WaitShown(int fd)
{
    pollfd wait{fd, POLLIN, 0};
    char byte = 0;
    return poll(&wait, 1, kWaitLimitMs) == 1 && read(fd, &byte, 1) == 1 && byte == 'S';
}

bool SpawnOnce(const char *self, int splashMs, Run &run)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const std::string splash = std::to_string(splashMs);
    const std::string fd = std::to_string(pipeFds[1]);
    char *args[] = {const_cast<char *>(self), const_cast<char *>("--program"), const_cast<char *>(splash.c_str()),
                    const_cast<char *>(fd.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, nullptr, nullptr, args, environ);
    close(pipeFds[1]);
    bool shown = spawned == 0 && WaitShown(pipeFds[0]);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(pipeFds[0]);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return false;
    run.peakKiB = usage.ru_maxrss; // kilobytes on Linux
    return shown && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A profile and data folder of the benchmark's own; the platform when none is given.
std::string PrepareEnvironment()
{
    char folder[] = "/tmp/zot-bench-XXXXXX";
    if (!mkdtemp(folder))
        return {};
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_DATA_HOME", folder, 1);
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return folder;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--program") == 0)
        return RunProgram(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int splashMs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string folder = PrepareEnvironment();
    std::vector<double> seconds;
    long peakKiB = 0;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!SpawnOnce(argv[0], splashMs, run)) {
            std::fprintf(stderr, "run %d: the program did not show its window\n", i + 1);
            return 1;
        }
        seconds.push_back(run.seconds);
        peakKiB = std::max(peakKiB, run.peakKiB);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("zot3 start to main window shown (splash %d ms, %d runs, platform %s):\n", splashMs, runs,
                getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "default");
    std::printf("  median %.1f ms, min %.1f ms, max %.1f ms\n", seconds[seconds.size() / 2] * 1e3,
                seconds.front() * 1e3, seconds.back() * 1e3);
    std::printf("  peak memory (ru_maxrss) %.1f MiB\n", double(peakKiB) / 1024.0);
    if (!folder.empty())
        std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
