/* Removes a file, runs a command to its end, then waits until the file
   exists again: the end of a launch is the started IDE's record, whether the
   command waited for the IDE or started it and left (the launchers, the
   floors). Both sides of a comparison run through it alike.
   Usage: until FILE COMMAND [ARGS...]; exits 1 when FILE has not appeared
   within a minute, 2 when the command cannot be run. */
#define _GNU_SOURCE
#include <errno.h>
#include <libgen.h>
#include <poll.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: until FILE COMMAND [ARGS...]\n");
        return 2;
    }
    const char* file = argv[1];
    if (unlink(file) != 0 && errno != ENOENT) {
        perror("until: unlink");
        return 2;
    }
    char* dir = strdup(file);
    /* Watched before the command runs, so its record cannot slip past. */
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, dirname(dir), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        perror("until: inotify");
        return 2;
    }
    pid_t pid;
    if (posix_spawnp(&pid, argv[2], NULL, NULL, argv + 2, environ) != 0) {
        perror("until: spawn");
        return 2;
    }
    int status;
    while (waitpid(pid, &status, 0) < 0) {
    }
    for (;;) {
        if (access(file, F_OK) == 0) return 0;
        struct pollfd p = {watch, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0) return 1;
        char events[4096];
        if (read(watch, events, sizeof events) < 0) return 1;
    }
}
