#pragma once
#include <filesystem>
#include <fstream>
#include <string>

namespace tessellon {

// Turns every single quote into a double quote and nothing else.
void ReplaceX(std::string& repString);

// The one writer of the level file. Lines go to the working file temp.dta with CRLF endings;
// a finished level is moved over its final name in one step, so an older level1.vmf stays
// whole until the new one is complete. Failures throw BuildFailure with a clear message.
class LevelWriter {
public:
    void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
    std::filesystem::path WorkingPath() const { return folder_ / "temp.dta"; }

    // Writes rowText (converted with ReplaceX and indented by tabBlanks tabs) as one line,
    // creating a fresh working file first when none is open. With justCloseFile the working
    // file is closed instead. rowText holds the written text afterwards.
    void PrintToFile(std::string& rowText, int tabBlanks = 0, bool justCloseFile = false);
    void PrintToFile(std::string&& rowText, int tabBlanks = 0, bool justCloseFile = false) {
        PrintToFile(rowText, tabBlanks, justCloseFile);
    }
    // The same for a line the caller keeps as it is, and for a key and value line (what
    // PrintToFile writes for PairedLine(key, value)), without a string of their own.
    void PrintLine(const std::string& text, int tabBlanks = 0);
    void PrintPair(const std::string& key, const std::string& value, int tabBlanks = 0);
    void Close();
    bool IsOpen() const { return open_; }

    // Closes the working file and moves it over level<levelNumber>.vmf.
    std::filesystem::path NameLevel(int levelNumber);

    // Closes without naming: used when the program ends in the middle of a build.
    void Abandon();

private:
    std::filesystem::path folder_;
    // Lines gather here and go to the file in large writes (all of them on close).
    static constexpr std::size_t kPendingBytes = 1 << 16;
    void EnsureOpen();
    void WritePending(bool all);

    std::ofstream out_;
    bool open_ = false;
    std::string pending_;
};

}  // namespace tessellon
