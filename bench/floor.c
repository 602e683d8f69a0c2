/* The floor a launch is measured against: a static program that does nothing
   but start a program the way the launcher starts an IDE (detached, in a
   session of its own), and exit. bench/run.sh starts the stand-in IDE with
   the file; bench/wine.sh starts wine with the IDE and the file's Windows name.
   Usage: floor PROGRAM ARGS... */
#define _GNU_SOURCE
#include <spawn.h>
#include <stdio.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: floor PROGRAM ARGS...\n");
        return 2;
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid;
    return posix_spawn(&pid, argv[1], NULL, &attr, argv + 1, environ) == 0 ? 0 : 1;
}
