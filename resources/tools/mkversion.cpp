// pivora_mkversion DATA OUT: writes the binary version block of the data file,
// for the Linux build to carry in its ".pivora_version" section.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "resources/tools/VersionData.h"
#include "resources/tools/VersionWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pivora_mkversion DATA OUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    const auto data = pivora::resources::ParseVersionData(text, &error);
    if (!data) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    const std::string block = pivora::resources::WriteVersionBlock(*data);
    if (block.size() > 0xFFFF) {
        std::cerr << argv[1] << ": the version block would outgrow its 16-bit length\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!out.flush()) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
