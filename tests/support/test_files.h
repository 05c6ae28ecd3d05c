// Files, folders and environment variables for tests, the same on Linux and under Wine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tandrel::testing {

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Sets (or with nullopt removes) an environment variable and restores the old value on destruction.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

void setEnvironment(const std::string& name, const std::optional<std::string>& value);

// Whole files as bytes, written and read in binary mode.
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);

// The path where the plug-in looks for its file under a given APPDATA folder, with the folders made.
std::filesystem::path makeClientPluginFolder(const std::filesystem::path& appData);

}  // namespace tandrel::testing
