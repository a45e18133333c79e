// A stand-in terminal for the benchmarks: the real terminal backend writes
// into a pipe that is drained and counted.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/terminal_console.h"

namespace orv::bench {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A stand-in terminal: curses writes into a pipe that we drain and count.
class PipeTerminal {
public:
    PipeTerminal() {
        if (pipe2(fds_, O_CLOEXEC) != 0) std::abort();
        fcntl(fds_[0], F_SETFL, O_NONBLOCK);
        fcntl(fds_[1], F_SETPIPE_SZ, 1 << 20);  // a whole repaint fits
        output_ = fdopen(fds_[1], "w");
        input_ = std::fopen("/dev/null", "r");
        TerminalOptions options{input_, output_, "xterm-256color", false};
        {
            // A pipe has no window size to ask; curses reads it from here.
            ScopedEnv lines("LINES", "53");
            ScopedEnv columns("COLUMNS", "80");
            console = std::make_unique<TerminalConsole>(options);
        }
        drain();
    }
    ~PipeTerminal() {
        console.reset();
        std::fclose(output_);
        std::fclose(input_);
        close(fds_[0]);
    }
    // Bytes sent since the last call.
    std::size_t drain() {
        std::size_t total = 0;
        char buffer[65536];
        for (ssize_t n; (n = read(fds_[0], buffer, sizeof buffer)) > 0;)
            total += static_cast<std::size_t>(n);
        return total;
    }

    std::unique_ptr<TerminalConsole> console;

private:
    int fds_[2] = {-1, -1};
    FILE* output_ = nullptr;
    FILE* input_ = nullptr;
};

}  // namespace orv::bench
