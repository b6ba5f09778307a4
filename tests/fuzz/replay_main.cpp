// Replays fuzz inputs without libFuzzer: every file named on the command line,
// or found in a directory named there, is passed once to the target.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    // A fresh copy of exactly the file's size, so reads past the end are caught.
    std::vector<uint8_t> input(bytes);
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int ran = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            std::fprintf(stderr, "cannot find %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (!runFile(argv[i]))
                return 1;
            ++ran;
            continue;
        }
        std::vector<std::string> files;
        if (DIR* d = opendir(argv[i])) {
            while (dirent* e = readdir(d)) {
                const std::string path = std::string(argv[i]) + "/" + e->d_name;
                if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                    files.push_back(path);
            }
            closedir(d);
        }
        std::sort(files.begin(), files.end());
        for (const std::string& path : files) {
            if (!runFile(path))
                return 1;
            ++ran;
        }
    }
    std::printf("replayed %d inputs\n", ran);
    return ran > 0 ? 0 : 1;
}
