#include "app/folder_list.h"

#include <FL/Fl.H>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tessellon::app {

namespace fs = std::filesystem;

FolderList::FolderList(int x, int y, int w, int h) : Fl_Hold_Browser(x, y, w, h) {
    callback(Picked, this);
    when(FL_WHEN_RELEASE_ALWAYS);
    textsize(12);
}

bool FolderList::SetFolder(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(folder), ec).lexically_normal();
    if (ec || !fs::is_directory(p, ec)) return false;
    std::vector<std::string> names;
    for (fs::directory_iterator it(p, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    });
    std::string text = p.string();
    if (text.size() > 1 && (text.back() == '/' || text.back() == '\\') && p.has_relative_path()) text.pop_back();
    folder_ = text;
    clear();
    if (p.has_relative_path()) add("@b..");
    for (const std::string& n : names) add(n.c_str());
    redraw();
    return true;
}

bool FolderList::Open(const std::string& folder) {
    if (!SetFolder(folder)) return false;
    if (onChange) onChange(folder_);
    return true;
}

void FolderList::Picked(Fl_Widget*, void* self) {
    auto* me = static_cast<FolderList*>(self);
    const int line = me->value();
    if (line <= 0) return;
    const bool open = Fl::event_clicks() > 0 || Fl::event_key() == FL_Enter;
    if (!open) return;
    std::string name = me->text(line);
    fs::path next = name == "@b.." ? fs::path(me->folder_).parent_path() : fs::path(me->folder_) / name;
    Fl::event_clicks(0);
    me->Open(next.string());
}

}  // namespace tessellon::app
