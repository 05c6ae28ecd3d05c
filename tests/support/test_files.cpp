#include "test_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace tandrel::testing {

TempDir::TempDir() {
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        std::ostringstream name;
        name << "tandrel-test-" << std::hex << random();
        path_ = base / name.str();
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    setEnvironment(name_, value);
}

ScopedEnv::~ScopedEnv() {
    setEnvironment(name_, previous_);
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::filesystem::path makeClientPluginFolder(const std::filesystem::path& appData) {
    std::filesystem::path folder = appData / "TS3Client" / "plugins";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace tandrel::testing
