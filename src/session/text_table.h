#pragma once
#include <charconv>
#include <string>
#include <vector>

#include "session/errors.h"

namespace tessellon {

// A line table of the room pipeline: elements 1..capacity hold lines, element 0 a number
// written as text (a count or the next free index). The capacity is a checked limit: going
// past it throws TableOverflow instead of writing anywhere.
class TableOverflow : public BuildFailure {
public:
    TableOverflow(const std::string& table, std::size_t capacity)
        : BuildFailure("The table " + table + " is full (it holds " + std::to_string(capacity) + " lines)."),
          table_(table) {}
    const std::string& Table() const { return table_; }

private:
    std::string table_;
};

class TextTable {
public:
    TextTable(std::string name, std::size_t capacity) : name_(std::move(name)), capacity_(capacity) {
        lines_.assign(1, "0");
    }

    const std::string& Name() const { return name_; }
    std::size_t Capacity() const { return capacity_; }

    // Writable element; grows the storage on demand up to the capacity.
    std::string& At(std::size_t i) {
        if (i > capacity_) throw TableOverflow(name_, capacity_);
        if (i >= lines_.size()) lines_.resize(i + 1);
        return lines_[i];
    }
    // Read-only element; elements never written read as empty.
    const std::string& Get(std::size_t i) const {
        static const std::string empty;
        return i < lines_.size() ? lines_[i] : empty;
    }
    // Element 0 as a number.
    // Only SetHead writes it, so anything but a count reads as 0.
    int Head() const {
        int n = 0;
        std::from_chars(lines_[0].data(), lines_[0].data() + lines_[0].size(), n);
        return n;
    }
    void SetHead(long v) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, v);
        lines_[0].assign(digits, r.ptr);
    }
    // Append after the count in element 0 and raise it.
    void Append(std::string line) {
        const long n = Head() + 1;
        At(static_cast<std::size_t>(n)) = std::move(line);
        SetHead(n);
    }
    // Every element empty, element 0 "0". Keeps the allocation for the next room.
    void Clear() {
        for (auto& l : lines_) l.clear();
        lines_[0] = "0";
    }
    // Empties every element from `from` on (the tail left by a longer room).
    void ClearFrom(std::size_t from) {
        for (std::size_t i = from; i < lines_.size(); ++i) lines_[i].clear();
    }
    std::size_t StoredSize() const { return lines_.size(); }

private:
    std::string name_;
    std::size_t capacity_;
    std::vector<std::string> lines_;
};

}  // namespace tessellon
