// Replays a fuzz corpus through its target: every file of every directory
// named on the command line, in name order. A finding aborts the program.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    size_t replayed = 0;
    for (int i = 1; i < argc; i++) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(fs::u8path(argv[i]), error)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        if (error || files.empty()) {
            std::fprintf(stderr, "no corpus in %s\n", argv[i]);
            return 2;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            replayed++;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    return 0;
}
