// Shared test helpers.
#include "support/test_world.h"

#include <cstdlib>
#include <random>

namespace orv::test {

namespace fs = std::filesystem;

namespace {

// Every game the tests start as a program of its own keeps its slots, trace
// and volumes in one scratch home of this test run, never in the folders of
// whoever runs the tests.
struct ScratchPlayerHome {
    fs::path home;
    ScratchPlayerHome() {
        std::random_device device;
        home = fs::temp_directory_path() / ("orvantis-test-home-" + std::to_string(device()) + std::to_string(device()));
        for (const auto& [variable, folder] : {std::pair{"XDG_DATA_HOME", "data"}, std::pair{"XDG_STATE_HOME", "state"},
                                               std::pair{"XDG_CONFIG_HOME", "config"}})
            setenv(variable, (home / folder).c_str(), 1);
    }
    ~ScratchPlayerHome() {
        std::error_code error;
        fs::remove_all(home, error);
    }
};

const ScratchPlayerHome scratchPlayerHome;

}  // namespace

ScratchDirectory::ScratchDirectory() : previous_(fs::current_path()) {
    std::random_device device;
    path_ = fs::temp_directory_path() / ("orvantis-test-" + std::to_string(device()) + std::to_string(device()));
    fs::create_directories(path_);
    fs::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    fs::current_path(previous_);
    std::error_code error;
    fs::remove_all(path_, error);
}

void ScratchDirectory::write(const std::string& relativePath, const std::string& content) {
    const fs::path file = path_ / relativePath;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

InGameData::InGameData() : previous_(fs::current_path()) { fs::current_path(ORVANTIS_TEST_DATA); }
InGameData::~InGameData() { fs::current_path(previous_); }

GameDataWithOwnSaves::GameDataWithOwnSaves() : previous_(playerFolders()) {
    PlayerFolders own;
    own.saves = scratch_.path() / "saves";
    own.traceFile = scratch_.path() / "luaTrace.txt";
    usePlayerFolders(own);
    for (const auto& entry : fs::directory_iterator(ORVANTIS_TEST_DATA))
        if (entry.path().filename() != "saves" && entry.path().filename() != "luaTrace.txt")
            fs::create_symlink(entry.path(), scratch_.path() / entry.path().filename());
}

GameDataWithOwnSaves::~GameDataWithOwnSaves() { usePlayerFolders(previous_); }

}  // namespace orv::test
