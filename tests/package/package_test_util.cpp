#include "tests/package/package_test_util.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>

#include "package/package_command.h"
#include "package/package_files.h"

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::string bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(path.string(), &bytes, &error)) << error;
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    FILE* file = fopen(path.string().c_str(), "wb");
    ASSERT_NE(file, nullptr) << path.string();
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    fclose(file);
}

WorkFolder::WorkFolder() {
    std::error_code code;
    for (int attempt = 0; attempt < 1000 && root.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path(code) / ("kxpsui-package-test-" + std::to_string(attempt));
        if (fs::create_directory(candidate, code)) {
            root = candidate;
        }
    }
    run = root / "run";
    EXPECT_TRUE(!root.empty() && fs::create_directory(run, code)) << "no work folder: " << code.message();
}

WorkFolder::~WorkFolder() {
    std::error_code code;
    fs::remove_all(root, code);
}

std::vector<std::string> WorkFolder::Listing() const {
    std::vector<std::string> names;
    std::error_code code;
    for (fs::recursive_directory_iterator it(run, code), end; !code && it != end; it.increment(code)) {
        names.push_back(it->path().lexically_relative(run).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int WorkFolder::Package(const std::vector<std::string>& args) {
    const fs::path outPath = root / "out.txt";
    const fs::path errPath = root / "err.txt";
    FILE* outFile = fopen(outPath.string().c_str(), "wb");
    FILE* errFile = fopen(errPath.string().c_str(), "wb");
    const int status = RunPackageCommand(args, outFile, errFile);
    fclose(outFile);
    fclose(errFile);
    out = ReadBytes(outPath);
    err = ReadBytes(errPath);
    return status;
}

std::string SamplePpd() {
    return std::string(KX_SOURCE_DIR) + "/samples/kx-color-page.ppd";
}

std::string CorpusPpd(const char* name) {
    return std::string(KX_CORPUS_DIR) + "/" + name;
}

std::string FixturePpd(const char* name) {
    return std::string(KX_SOURCE_DIR) + "/tests/fixtures/check/" + name;
}
