#include "session/level_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "session/errors.h"

namespace tessellon {

void ReplaceX(std::string& repString) {
    for (char& c : repString)
        if (c == '\'') c = '"';
}

void LevelWriter::PrintToFile(std::string& rowText, int tabBlanks, bool justCloseFile) {
    if (justCloseFile) {
        Close();
        return;
    }
    EnsureOpen();
    ReplaceX(rowText);
    if (tabBlanks > 0) rowText.insert(0, static_cast<std::size_t>(tabBlanks), '\t');
    pending_.append(rowText).append("\r\n");
    WritePending(false);
}

namespace {

// Appends text with every ' turned into " (a search, as keys and values seldom hold one).
void AppendSwappingQuotes(std::string& out, const std::string& text) {
    const std::size_t from = out.size();
    out.append(text);
    for (char* at = out.data() + from;
         (at = static_cast<char*>(std::memchr(at, '\'', out.size() - static_cast<std::size_t>(at - out.data()))));)
        *at++ = '"';
}

}  // namespace

void LevelWriter::PrintLine(const std::string& text, int tabBlanks) {
    EnsureOpen();
    pending_.append(static_cast<std::size_t>(std::max(tabBlanks, 0)), '\t');
    AppendSwappingQuotes(pending_, text);
    pending_.append("\r\n");
    WritePending(false);
}

void LevelWriter::PrintPair(const std::string& key, const std::string& value, int tabBlanks) {
    EnsureOpen();
    pending_.append(static_cast<std::size_t>(std::max(tabBlanks, 0)), '\t');
    pending_ += '"';
    AppendSwappingQuotes(pending_, key);
    pending_.append("\" \"");
    AppendSwappingQuotes(pending_, value);
    pending_.append("\"\r\n");
    WritePending(false);
}

void LevelWriter::EnsureOpen() {
    if (open_) return;
    pending_.clear();
    out_.clear();
    out_.open(WorkingPath(), std::ios::binary | std::ios::trunc);
    if (!out_)
        throw BuildFailure("Could not create the working level file " + WorkingPath().string() + ": " +
                           std::strerror(errno) + ". Check that the program folder is writable.");
    open_ = true;
}

void LevelWriter::WritePending(bool all) {
    if (!all && pending_.size() < kPendingBytes) return;
    out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    pending_.clear();
    if (!out_)
        throw BuildFailure("Could not write to the working level file " + WorkingPath().string() +
                           ". The disk may be full.");
}

void LevelWriter::Close() {
    if (!open_) return;
    try {
        WritePending(true);
    } catch (const BuildFailure&) {
        out_.close();
        open_ = false;
        throw;
    }
    out_.close();
    open_ = false;
    if (out_.fail())
        throw BuildFailure("Could not finish the working level file " + WorkingPath().string() +
                           ". The disk may be full.");
}

std::filesystem::path LevelWriter::NameLevel(int levelNumber) {
    Close();
    const auto finalPath = folder_ / ("level" + std::to_string(levelNumber) + ".vmf");
    std::error_code ec;
    if (!std::filesystem::exists(WorkingPath(), ec))
        throw BuildFailure("The working level file " + WorkingPath().string() +
                           " is missing; the level was not written.");
    // rename replaces an existing file in one step (MoveFileEx with replace on Windows), so
    // the old level is never deleted before the new one is in place.
    std::filesystem::rename(WorkingPath(), finalPath, ec);
    if (ec)
        throw BuildFailure("Could not replace " + finalPath.string() + " with the new level: " + ec.message() +
                           ". Close any program that has it open and build again.");
    return finalPath;
}

void LevelWriter::Abandon() {
    if (!open_) return;
    pending_.clear();
    out_.close();
    open_ = false;
}

}  // namespace tessellon
