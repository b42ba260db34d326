/* The practical floor of a paced line: the minimal peer (line_floor_peer.c)
 * sends "HRES?" to a separate gensim process on its paced line, character
 * by character as the library does, and its mean time per command is set
 * beside the line time of the characters that crossed. What it needs beyond
 * the line is what the simulator and the operating system add; a program's
 * paced figure is then best read as a ratio to this one.
 *
 *   build/bench/bench_line_floor [commands] [rate]
 */
#define _GNU_SOURCE
#include "line_floor_peer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

/* Starts gensim paced at rate; its terminal's path goes into device. */
static pid_t start_simulator(int rate, char* device, size_t size)
{
    char baud[16], env_file[64];
    char* argv[] = {GENSIM, "--baud", baud, "--env-file", env_file, "--line-time", NULL};
    posix_spawn_file_actions_t quiet;
    pid_t pid = 0;
    int i;
    snprintf(baud, sizeof baud, "%d", rate);
    snprintf(env_file, sizeof env_file, "/tmp/bench_line_floor.%d", (int)getpid());
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    i = posix_spawn(&pid, GENSIM, &quiet, NULL, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (i != 0)
        return 0;
    for (i = 0; i < 100; ++i) {
        char line[4096];
        FILE* in = fopen(env_file, "r");
        int found = in != NULL && fgets(line, sizeof line, in) != NULL && strncmp(line, "MORVANE_COM1=", 13) == 0;
        if (in != NULL)
            fclose(in);
        if (found) {
            line[strcspn(line, "\r\n")] = '\0';
            snprintf(device, size, "%s", line + 13);
            unlink(env_file);
            return pid;
        }
        nanosleep(&(struct timespec){0, 50000000}, NULL);
    }
    unlink(env_file);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    return 0;
}

int main(int argc, char** argv)
{
    int commands = argc > 1 ? atoi(argv[1]) : 2000;
    int rate = argc > 2 ? atoi(argv[2]) : 115200;
    char device[4096];
    size_t characters = 0;
    double mean, line_time, sim_seconds;
    struct rusage usage;
    int fd;
    pid_t sim = start_simulator(rate, device, sizeof device);
    if (sim == 0) {
        fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    fd = line_floor_open(device, rate);
    mean = fd < 0 ? -1 : line_floor_run(fd, "HRES?", commands, &characters);
    if (fd >= 0)
        close(fd);
    kill(sim, SIGTERM);
    wait4(sim, NULL, 0, &usage);
    if (mean < 0) {
        fprintf(stderr, "the generator did not answer\n");
        return 1;
    }
    line_time = (double)characters * 10.0 / rate;
    printf("minimal peer, \"HRES?\" at %d baud on the paced line: %d commands of %zu characters: "
           "mean %.3f ms; line time %.3f ms; ratio %.2f\n",
           rate, commands, characters, 1e3 * mean, 1e3 * line_time, mean / line_time);
    /* Start-up and all, so an upper bound of what a command costs it. */
    sim_seconds = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                + (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    printf("the simulator's processor time: %.3f s, %.1f us a command (%lu voluntary context switches, %.1f a "
           "command)\n",
           sim_seconds, 1e6 * sim_seconds / (commands + 1), (unsigned long)usage.ru_nvcsw,
           (double)usage.ru_nvcsw / (commands + 1));
    return 0;
}
