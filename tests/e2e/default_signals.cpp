// default_signals PROGRAM [ARG...]: runs PROGRAM with every signal at its default action and none
// blocked. A script's background job starts with SIGINT and SIGQUIT ignored, which would hide what
// the program does with them.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: default_signals PROGRAM [ARG...]\n");
        return 2;
    }
    for (int s = 1; s < NSIG; ++s) {
        if (s != SIGKILL && s != SIGSTOP) signal(s, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execvp(argv[1], argv + 1);
    std::perror("default_signals");
    return 127;
}
