// Runs a fuzz target over the files given (or the files in the directories
// given) once each, so that the committed seeds, and any input a fuzzing run
// once found, stay regression tests in every build, the sanitizer build
// included, without libFuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunOne(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
        return 1;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Every prefix too: truncated inputs are where readers overrun.
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        // A copy of exactly n bytes, so that the sanitizer sees a read past it.
        const std::vector<char> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(prefix.data()), prefix.size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0, inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) failures += RunOne(entry.path()), ++inputs;
        } else {
            failures += RunOne(arg), ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return failures == 0 && inputs > 0 ? 0 : 1;
}
