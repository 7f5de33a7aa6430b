#pragma once
#include <FL/Fl_Hold_Browser.H>

#include <functional>
#include <string>

namespace tessellon::app {

// A folder list: ".." and the subfolders of the current folder. A double click (or Enter)
// opens the entry and reports the new current folder.
class FolderList : public Fl_Hold_Browser {
public:
    FolderList(int x, int y, int w, int h);
    const std::string& Folder() const { return folder_; }
    // Lists `folder` without reporting it; false (and nothing changes) when it cannot be listed.
    bool SetFolder(const std::string& folder);
    // Goes to `folder` as the user would and reports it.
    bool Open(const std::string& folder);
    std::function<void(const std::string&)> onChange;

private:
    static void Picked(Fl_Widget*, void* self);
    std::string folder_;
};

}  // namespace tessellon::app
