/* The floor a launch is measured against: a static program that does nothing
   but start the stand-in IDE the way the launcher does, and exit. */
#define _GNU_SOURCE
#include <spawn.h>
#include <stdio.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: floor IDE FILE\n");
        return 2;
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    char* args[] = {argv[1], argv[2], NULL};
    pid_t pid;
    return posix_spawn(&pid, argv[1], NULL, &attr, args, environ) == 0 ? 0 : 1;
}
