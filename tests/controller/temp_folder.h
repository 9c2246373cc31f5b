// Scratch folders and files for tests, removed again when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::test {

class TempFolder {
  public:
    TempFolder();  // a new, empty folder under the temp path
    ~TempFolder(); // removes it with everything in it
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // `name` inside the folder (may contain subfolders, created on write).
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// Writes a whole file, creating missing folders on the way; false on failure.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool writeFile(const std::string& path, const std::string& text);
bool makeFolder(const std::string& path);
std::vector<std::uint8_t> readWholeFile(const std::string& path);

} // namespace tarvik::test
