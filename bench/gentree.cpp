// Writes the benchmark's source tree: SMALL files of 1 to 64 KiB spread over
// nested directories, and LARGE files of LARGE_MIB MiB each. The same
// arguments always give the same names, sizes and bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: gentree DIR SMALL LARGE LARGE_MIB\n");
        return 2;
    }
    std::filesystem::path root = argv[1];
    long small = std::atol(argv[2]), large = std::atol(argv[3]), largeMib = std::atol(argv[4]);
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    std::vector<char> buffer(1 << 20);
    auto writeFile = [&](const std::filesystem::path& path, uint64_t size) {
        std::filesystem::create_directories(path.parent_path());
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            std::perror(path.c_str());
            std::exit(1);
        }
        while (size > 0) {
            size_t n = size < buffer.size() ? size_t(size) : buffer.size();
            for (size_t i = 0; i + 8 <= n; i += 8) {
                uint64_t v = next();
                __builtin_memcpy(&buffer[i], &v, 8);
            }
            std::fwrite(buffer.data(), 1, n, f);
            size -= n;
        }
        std::fclose(f);
    };
    for (long i = 0; i < small; ++i) {
        // Three levels: 10 x 10 directories, ~100 files each at 10,000 files.
        std::filesystem::path dir = root / ("d" + std::to_string(i % 10)) / ("e" + std::to_string(i / 10 % 10));
        if (i % 3 == 0)
            dir /= "f";
        writeFile(dir / ("file" + std::to_string(i) + ".dat"), 1024 + next() % (63 * 1024));
    }
    for (long i = 0; i < large; ++i)
        writeFile(root / "large" / ("big" + std::to_string(i) + ".bin"), uint64_t(largeMib) << 20);
    return 0;
}
