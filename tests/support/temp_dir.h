#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // With a trailing separator.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// Test helpers for files.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
