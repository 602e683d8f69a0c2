// Reading the shared corpus of real desktop, project and compiled-unit files.
// The corpus lives beside the project (../shared/corpus), not in it: a clone
// of the project alone runs every other suite and reports the corpus suites
// as skipped, with the reason. CI sets PIVORA_REQUIRE_CORPUS=1, so there a
// missing corpus fails instead of passing unnoticed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

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

// The fixture of every suite that reads the corpus.
class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code error;
        if (std::filesystem::is_directory(PIVORA_CORPUS_DIR, error)) return;
        const char* required = std::getenv("PIVORA_REQUIRE_CORPUS");
        if (required && std::string(required) == "1")
            FAIL() << "the shared corpus is not at " << PIVORA_CORPUS_DIR << " (PIVORA_REQUIRE_CORPUS=1)";
        GTEST_SKIP() << "the shared corpus is not at " << PIVORA_CORPUS_DIR
                     << " (a clone without ../shared): its suites cannot run";
    }
};

}  // namespace pivora::testing
