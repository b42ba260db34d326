/* The least a host can do on a serial line: write one character, poll for
 * its echo, read it; then read the reply up to the prompt. Run against the
 * same simulator as the program, its time per command is the practical
 * floor of that line: the line time and the wake-ups no host can avoid. */
#ifndef ZOT_LINE_FLOOR_PEER_H
#define ZOT_LINE_FLOOR_PEER_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the terminal raw 8N1 at rate, its input emptied; -1 on failure. */
int line_floor_open(const char* device, int rate);

/* One command: each character of command and the CR written and its echo
 * read before the next, then everything up to and including ">". Returns
 * the characters that crossed the line both ways, 0 when the generator fell
 * silent for a second. */
size_t line_floor_command(int fd, const char* command);

/* Mean seconds per command over count commands, after one unmeasured;
 * characters gets the characters of one command. Negative on failure. */
double line_floor_run(int fd, const char* command, int count, size_t* characters);

#ifdef __cplusplus
}
#endif

#endif
