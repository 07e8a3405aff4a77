// A private folder of the host's own under the platform's temporary folder,
// removed with the files in it: where a run stages what it gives the
// spooler and keeps what its child process hands back.
#pragma once

#include <string>

class TempFolder {
  public:
    TempFolder() = default;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { Remove(); }

    // Makes a new folder named stem-PPPPPPPP-NNNNNNNN (process ID and a
    // number, in hexadecimal: every name of one stem has one length). False
    // with a one-line reason.
    bool Create(const char* stem, std::string* error);
    // Deletes the folder's files and the folder; false when something stays.
    bool Remove();

    const std::u16string& Path() const { return path; }  // empty before Create and after Remove
    std::u16string Name() const;                         // the last component of Path()

  private:
    std::u16string path;
};

// The path of the folder named name in the platform's temporary folder;
// false when there is no temporary folder.
bool TempFolderPath(const std::u16string& name, std::u16string* path);

// folder, the platform's separator, name.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

// Deletes every file in folder, then the folder; false when something stays
// (a subfolder, a file that cannot be deleted).
bool RemoveFolder(const std::u16string& folder);

// Eight hexadecimal digits, for names of one length.
std::string Hex8(unsigned value);
