// Shared test helpers.
#include "support/test_world.h"

#include <random>

namespace orv::test {

namespace fs = std::filesystem;

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

GameDataWithOwnSaves::GameDataWithOwnSaves() {
    for (const auto& entry : fs::directory_iterator(ORVANTIS_TEST_DATA))
        if (entry.path().filename() != "saves" && entry.path().filename() != "luaTrace.txt")
            fs::create_symlink(entry.path(), scratch_.path() / entry.path().filename());
}

}  // namespace orv::test
