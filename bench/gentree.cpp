// Writes the benchmark's source trees. The same arguments always give the
// same names, sizes and bytes.
//   gentree DIR SMALL LARGE LARGE_MIB  SMALL files of 1 to 64 KiB in about a
//                                      hundred directories, LARGE files of
//                                      LARGE_MIB MiB each
//   gentree --real DIR FILES           shaped like users' data: many small
//                                      directories up to eight deep, sizes
//                                      mostly small with a long tail
//   gentree --flat DIR FILES BYTES     FILES files of BYTES bytes in one directory
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

uint64_t seed = 0x9E3779B97F4A7C15ull;

uint64_t next()
{
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
}

// Uniform in [0, 1).
double unit()
{
    return double(next() >> 11) / double(1ull << 53);
}

std::vector<char> buffer(1 << 20);

void writeFile(const std::filesystem::path& path, uint64_t size)
{
    std::filesystem::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    while (size > 0) {
        size_t n = size < buffer.size() ? size_t(size) : buffer.size();
        for (size_t i = 0; i < n; i += 8) {
            uint64_t v = next();
            std::memcpy(&buffer[i], &v, n - i < 8 ? n - i : 8);
        }
        std::fwrite(buffer.data(), 1, n, f);
        size -= n;
    }
    std::fclose(f);
}

void uniformTree(const std::filesystem::path& root, long small, long large, long largeMib)
{
    for (long i = 0; i < small; ++i) {
        // Three levels: 10 x 10 directories, ~100 files each at 10,000 files.
        std::filesystem::path dir = root / ("d" + std::to_string(i % 10)) / ("e" + std::to_string(i / 10 % 10));
        if (i % 3 == 0)
            dir /= "f";
        writeFile(dir / ("file" + std::to_string(i) + ".dat"), 1024 + next() % (63 * 1024));
    }
    for (long i = 0; i < large; ++i)
        writeFile(root / "large" / ("big" + std::to_string(i) + ".bin"), uint64_t(largeMib) << 20);
}

// About one directory per six files, as in a documentation or project tree:
// each new directory hangs below a random earlier one, so a few are deep and
// many are shallow. Sizes are log-uniform from 100 bytes to 64 KiB, and one
// file in eighty is between 64 KiB and 4 MiB.
void realTree(const std::filesystem::path& root, long files)
{
    static const char* const kExtensions[] = {".txt", ".html", ".png", ".gz", ".c", ".h", ".pdf", ".xml", ""};
    struct Dir {
        std::filesystem::path path;
        int depth;
    };
    std::vector<Dir> dirs{{root, 0}};
    long directories = files / 6;
    while (long(dirs.size()) < directories) {
        const Dir& parent = dirs[next() % dirs.size()];
        if (parent.depth >= 8)
            continue;
        dirs.push_back({parent.path / ("dir" + std::to_string(dirs.size())), parent.depth + 1});
    }
    for (const Dir& dir : dirs)
        std::filesystem::create_directories(dir.path);
    for (long i = 0; i < files; ++i) {
        // Skewed towards the early directories, so counts vary from none to dozens.
        double pick = unit();
        const Dir& dir = dirs[size_t(pick * pick * double(dirs.size()))];
        bool tail = next() % 80 == 0;
        double low = tail ? std::log(65536.0) : std::log(100.0);
        double high = tail ? std::log(4.0 * 1024 * 1024) : std::log(65536.0);
        uint64_t size = uint64_t(std::exp(low + unit() * (high - low)));
        const char* extension = kExtensions[next() % std::size(kExtensions)];
        writeFile(dir.path / ("file" + std::to_string(i) + extension), size);
    }
}

void flatTree(const std::filesystem::path& root, long files, long bytes)
{
    for (long i = 0; i < files; ++i)
        writeFile(root / ("f" + std::to_string(i) + ".dat"), uint64_t(bytes));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--real") == 0) {
        realTree(argv[2], std::atol(argv[3]));
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "--flat") == 0) {
        flatTree(argv[2], std::atol(argv[3]), std::atol(argv[4]));
        return 0;
    }
    if (argc == 5 && argv[1][0] != '-') {
        uniformTree(argv[1], std::atol(argv[2]), std::atol(argv[3]), std::atol(argv[4]));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: gentree DIR SMALL LARGE LARGE_MIB\n"
                 "       gentree --real DIR FILES\n"
                 "       gentree --flat DIR FILES BYTES\n");
    return 2;
}
