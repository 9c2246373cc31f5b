// Started by tarvik.exe for a menu entry in the app tests: leaves a marker file
// where TARVIK_APP_MARKER says.
#include <cstdio>
#include <cstdlib>

int main() {
    const char* path = std::getenv("TARVIK_APP_MARKER");
    if (path == nullptr) return 1;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 2;
    std::fputs("started\n", file);
    std::fclose(file);
    return 0;
}
