// pivora_mkicon DIR: writes the launcher's icon files into DIR (resources/,
// where they are kept). The build does not run it: the files are committed,
// and a test checks that this program still makes them byte for byte.
#include <fstream>
#include <iostream>
#include <string>

#include "resources/tools/IconFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pivora_mkicon DIR\n";
        return 2;
    }
    for (const auto& file : pivora::resources::AllIconFiles()) {
        const std::string path = std::string(argv[1]) + "/" + file.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        if (!out.flush()) {
            std::cerr << path << ": cannot write\n";
            return 1;
        }
    }
    return 0;
}
