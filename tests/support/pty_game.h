// A game process on a pseudo-terminal of its own, seen from the player's
// side: what it sends to the "screen", and keys typed into it.
#pragma once

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <functional>
#include <string>

namespace orv::test {

// A marker the child writes between steps; terminals ignore OSC strings.
inline std::string marker(const std::string& text) { return "\x1b]7777;" + text + "\x07"; }

inline void note(const std::string& text) {
    std::string bytes = marker(text);
    ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    (void)written;
}

// A game process on its own pseudo-terminal of the given size.
class PtyGame {
public:
    PtyGame(int rows, int cols, const std::function<int()>& body,
            const char* term = "xterm-256color") {
        winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(cols), 0, 0};
        pid_ = forkpty(&master_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            startsAsFromAShell();
            setenv("TERM", term, 1);
            setenv("LC_ALL", "C.UTF-8", 1);
            _exit(body());
        }
    }
    ~PtyGame() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        closeTerminal();
    }

    // Read what the game sends until `text` shows up or time runs out.
    // Only output from offset `from` on counts.
    bool waitFor(const std::string& text, int timeoutMs = 5000, std::size_t from = 0) {
        auto deadline = now() + timeoutMs;
        while (output.find(text, from) == std::string::npos) {
            int left = static_cast<int>(deadline - now());
            if (left <= 0 || !readSome(left)) return output.find(text, from) != std::string::npos;
        }
        return true;
    }

    void type(const std::string& keys) {
        ssize_t written = write(master_, keys.data(), keys.size());
        (void)written;
    }

    // What was sent between two markers.
    std::string between(const std::string& from, const std::string& to) const {
        std::size_t start = output.find(marker(from));
        std::size_t end = output.find(marker(to));
        if (start == std::string::npos || end == std::string::npos) return "<missing marker>";
        start += marker(from).size();
        return output.substr(start, end - start);
    }

    std::string after(const std::string& from) const {
        std::size_t start = output.find(marker(from));
        return start == std::string::npos ? "" : output.substr(start + marker(from).size());
    }

    // The child's wait status, or -1 if it did not end in time.
    int waitExit(int timeoutMs = 5000) {
        auto deadline = now() + timeoutMs;
        int status = 0;
        while (now() < deadline) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                while (readSome(50)) {
                }
                return status;
            }
            if (master_ < 0 || !readSome(20)) usleep(5000);
        }
        return -1;
    }

    void closeTerminal() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

    int master() const { return master_; }
    pid_t pid() const { return pid_; }

    std::string output;

private:
    // A program started from a shell has every signal at its default action
    // and none blocked, whatever the test runner chose for itself.
    static void startsAsFromAShell() {
        for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
    }

    static long long now() {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    // False when the terminal is closed or nothing came in time.
    bool readSome(int timeoutMs) {
        if (master_ < 0) return false;
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) return false;
        char buffer[8192];
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;
        output.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    bool reaped_ = false;
};

// The printed characters of terminal output, without control sequences.
inline std::string visibleText(const std::string& output) {
    std::string text;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] != '\x1b') {
            text += output[i];
        } else if (i + 1 < output.size() && output[i + 1] == '[') {
            i += 2;
            while (i < output.size() && !(output[i] >= 0x40 && output[i] <= 0x7E)) ++i;
        } else if (i + 1 < output.size() && output[i + 1] == ']') {
            while (i < output.size() && output[i] != '\x07') ++i;
        } else {
            i += 2;  // a character set choice such as ESC ( B
        }
    }
    return text;
}

inline bool exitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

// Ctrl-Z needs a job-control shell: the game runs in its own foreground
// process group under a stand-in shell that reports when it stops.
inline int runAsForegroundJob(const std::function<int()>& game) {
    int go[2];
    if (pipe(go) != 0) return 90;
    pid_t job = fork();
    if (job == 0) {
        setpgid(0, 0);
        char ready;
        if (read(go[0], &ready, 1) != 1) _exit(91);
        _exit(game());
    }
    setpgid(job, job);
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(STDIN_FILENO, job);
    if (write(go[1], "g", 1) != 1) return 92;
    note("job=" + std::to_string(job));
    for (;;) {
        int status = 0;
        if (waitpid(job, &status, WUNTRACED) != job) return 93;
        if (WIFSTOPPED(status)) note("stopped");
        else return WIFEXITED(status) ? WEXITSTATUS(status) : 94;
    }
}

// The job's process (and group) number, once the stand-in shell has told
// it; it may arrive after the game's first words, the two writing to the
// terminal independently. 0 if it never came.
inline pid_t foregroundJob(PtyGame& game) {
    const std::string jobNote = marker("job=").substr(0, marker("job=").size() - 1);
    if (!game.waitFor(jobNote)) return 0;
    return static_cast<pid_t>(std::atoi(game.output.c_str() + game.output.find(jobNote) + jobNote.size()));
}

}  // namespace orv::test
