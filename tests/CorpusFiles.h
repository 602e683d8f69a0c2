// Reading the shared corpus of real desktop, project and compiled-unit files.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace pivora::testing {

inline std::string CorpusPath(const std::string& relative) { return std::string(PIVORA_CORPUS_DIR) + "/" + relative; }

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read test input " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::string Corpus(const std::string& relative) { return ReadBytes(CorpusPath(relative)); }

}  // namespace pivora::testing
