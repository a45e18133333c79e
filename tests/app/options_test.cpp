// The command line and the program as a whole: headless replays, help,
// and the end of input.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

#include "app/options.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::ScratchDirectory;

TEST(Options, ReadsEveryFlagAndRefusesNonsense) {
    Options o = parseOptions({"--seed", "42", "--data", "dir", "--headless", "--input", "f.txt", "--frames", "all"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(*o.seed, 42u);
    EXPECT_EQ(o.dataDirectory, "dir");
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.allFrames);
    EXPECT_FALSE(parseOptions({"--seed", "4x"}).error.empty());
    EXPECT_FALSE(parseOptions({"--seed"}).error.empty());
    EXPECT_FALSE(parseOptions({"--headless"}).error.empty());
    EXPECT_FALSE(parseOptions({"--frames", "some"}).error.empty());
    EXPECT_FALSE(parseOptions({"--fly"}).error.empty());
}

struct Ran {
    int status = -1;
    std::string output;
};

Ran runProgram(const std::string& arguments) {
    Ran ran;
    const std::string command = std::string("SDL_AUDIODRIVER=dummy '") + ORVANTIS_BINARY + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return ran;
    std::array<char, 4096> buffer;
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) ran.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ran;
}

TEST(Program, HeadlessPrintsAFramePerTypedLineAndEndsAtTheEndOfInput) {
    ScratchDirectory dir;
    dir.write("lines.txt", "-\n1\n250\n");  // no "exit": the input just ends
    const Ran ran = runProgram("--headless --seed 1 --input lines.txt --data '" ORVANTIS_TEST_DATA "'");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(std::count(ran.output.begin(), ran.output.end(), '\n'), 4 * 53);
    EXPECT_NE(ran.output.find("Music Volume: 100"), std::string::npos);
    EXPECT_NE(ran.output.find("Welcome to ORVANTIS!"), std::string::npos);
}

TEST(Program, AllFramesIncludesEveryWrite) {
    ScratchDirectory dir;
    dir.write("lines.txt", "-\n0\nexit\n");
    const Ran typed = runProgram("--headless --input lines.txt --data '" ORVANTIS_TEST_DATA "'");
    const Ran all = runProgram("--headless --frames all --input lines.txt --data '" ORVANTIS_TEST_DATA "'");
    EXPECT_EQ(typed.status, 0);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(std::count(all.output.begin(), all.output.end(), '\n') % 53, 0);
    EXPECT_EQ(std::count(all.output.begin(), all.output.end(), '\n'), 3 * 53);
}

TEST(Program, HelpVersionAndBadArguments) {
    const Ran help = runProgram("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--check-data"), std::string::npos);
    const Ran version = runProgram("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("orvantis ", 0), 0u);
    EXPECT_EQ(runProgram("--bogus").status, 2);
    EXPECT_EQ(runProgram("--headless --input /no/such/file").status, 2);
    // Not a terminal: a clear message, not a broken screen.
    const Ran piped = runProgram("< /dev/null 2>&1 | cat");
    EXPECT_NE(piped.output.find("not a terminal"), std::string::npos);
}

TEST(Program, BinaryAndHugeLinesDoNotHurtTheTitle) {
    ScratchDirectory dir;
    std::string junk(200000, 'x');
    junk[5] = '\0';
    junk[7] = char(0xFF);
    dir.write("lines.txt", junk + "\n-\n" + std::string(5000, '9') + "\n" + "\x01\x1b[31m\n");
    const Ran ran = runProgram("--headless --input lines.txt --data '" ORVANTIS_TEST_DATA "'");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(std::count(ran.output.begin(), ran.output.end(), '\n') % 53, 0);
}

}  // namespace
}  // namespace orv
