/* The floor of a launch under Wine: a Windows program that does nothing but
   start the stand-in IDE with the file, as the launcher's CreateProcessA
   does, and exit. Built by bench/wine.sh with the cross compiler.
   Usage: floor_win IDE FILE */
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    char command[32768];
    snprintf(command, sizeof command, "\"%s\" \"%s\"", argv[1], argv[2]);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) return 1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
