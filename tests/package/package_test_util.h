// Running kxpsui-package in process, in a folder of the test's own that is
// removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A new folder under the system's temporary folder; the packages are made
// in its "run" folder, the command's output is kept beside.
class WorkFolder {
  public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // A path under "run", as the command line gives it.
    std::string Run(const std::string& name) const { return (run / name).string(); }
    // Every path under "run", relative, sorted.
    std::vector<std::string> Listing() const;

    // RunPackageCommand; its out and err are kept in out and err.
    int Package(const std::vector<std::string>& args);

    std::filesystem::path root;
    std::filesystem::path run;
    std::string out;
    std::string err;
};

std::string SamplePpd();
std::string CorpusPpd(const char* name);
std::string FixturePpd(const char* name);
