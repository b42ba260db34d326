#define _GNU_SOURCE
#include "line_floor_peer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

static speed_t speed_of(int rate)
{
    switch (rate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

int line_floor_open(const char* device, int rate)
{
    speed_t speed = speed_of(rate);
    struct termios t;
    int fd;
    if (speed == B0)
        return -1;
    fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    /* Only the bits a raw line needs: the others stay as the terminal has them. */
    if (tcgetattr(fd, &t) != 0) {
        close(fd);
        return -1;
    }
    t.c_iflag &= ~(tcflag_t)(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    t.c_oflag &= ~(tcflag_t)OPOST;
    t.c_lflag &= ~(tcflag_t)(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(tcflag_t)(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        close(fd);
        return -1;
    }
    tcflush(fd, TCIOFLUSH);
    return fd;
}

/* Waits for the next character; -1 after a second of silence. */
static int next_char(int fd)
{
    for (;;) {
        unsigned char c;
        struct pollfd p = {fd, POLLIN, 0};
        ssize_t n = read(fd, &c, 1);
        if (n == 1)
            return c;
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return -1;
        if (poll(&p, 1, 1000) <= 0 && errno != EINTR)
            return -1;
    }
}

size_t line_floor_command(int fd, const char* command)
{
    size_t length = strlen(command), crossed = 0, i;
    int c;
    for (i = 0; i <= length; ++i) {
        char out = i < length ? command[i] : '\r';
        struct pollfd p = {fd, POLLIN, 0};
        unsigned char echo;
        if (write(fd, &out, 1) != 1)
            return 0;
        if (poll(&p, 1, 1000) != 1 || read(fd, &echo, 1) != 1 || echo != (unsigned char)out)
            return 0;
        crossed += 2;
    }
    /* LF, the reply and the prompt. */
    do {
        c = next_char(fd);
        if (c < 0)
            return 0;
        ++crossed;
    } while (c != '>');
    return crossed;
}

static double now_seconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

double line_floor_run(int fd, const char* command, int count, size_t* characters)
{
    double start;
    int i;
    *characters = line_floor_command(fd, command);
    if (*characters == 0 || count <= 0)
        return -1;
    start = now_seconds();
    for (i = 0; i < count; ++i)
        if (line_floor_command(fd, command) != *characters)
            return -1;
    return (now_seconds() - start) / count;
}
