#pragma once
// Structural checks of a written level file, shared by the generation and golden tests.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "instance/name_fixer.h"

namespace tessellon::instance_testing {

struct KeyValue {
    std::string key, value;
};

inline std::string Trimmed(const std::string& line) {
    std::size_t b = 0;
    while (b < line.size() && line[b] == '\t') ++b;
    return line.substr(b);
}

// "key" "value" lines of the file, in order.
inline std::vector<KeyValue> KeyValues(const std::vector<std::string>& lines) {
    std::vector<KeyValue> out;
    for (const auto& raw : lines) {
        const std::string l = Trimmed(raw);
        if (l.size() < 2 || l.front() != '"') continue;
        const auto mid = l.find("\" \"");
        if (mid == std::string::npos || l.back() != '"') continue;
        out.push_back({l.substr(1, mid - 1), l.substr(mid + 3, l.size() - mid - 4)});
    }
    return out;
}

// Empty when braces balance and never close more than was opened; else what went wrong.
inline std::string BraceProblem(const std::vector<std::string>& lines) {
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string l = Trimmed(lines[i]);
        if (l == "{") ++depth;
        if (l == "}" && --depth < 0) return "a brace closes nothing at line " + std::to_string(i + 1);
    }
    return depth == 0 ? std::string() : std::to_string(depth) + " braces left open";
}

// Ids that occur more than once.
inline std::vector<std::string> RepeatedIds(const std::vector<std::string>& lines) {
    std::map<std::string, int> seen;
    for (const auto& kv : KeyValues(lines))
        if (kv.key == "id") ++seen[kv.value];
    std::vector<std::string> out;
    for (const auto& [id, n] : seen)
        if (n > 1) out.push_back(id);
    return out;
}

// Values of name keys and output targets that are not generated names.
inline std::vector<std::string> OriginalNames(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    auto isGenerated = [](const std::string& v) {
        if (v.empty() || v.size() > 4) return false;
        for (char c : v)
            if (c < 'a' || c > 'z') return false;
        return true;
    };
    for (const auto& kv : KeyValues(lines)) {
        std::string name;
        if (IsNameKey(kv.key)) name = kv.value;
        else if (kv.key.rfind("On", 0) == 0 && kv.value.find(',') != std::string::npos)
            name = kv.value.substr(0, kv.value.find(','));
        else continue;
        if (!isGenerated(name)) out.push_back(kv.key + "=" + kv.value);
    }
    return out;
}

inline std::vector<std::string> PlaceholderClasses(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& kv : KeyValues(lines))
        if (kv.key == "classname" && kv.value.find("vornic") != std::string::npos) out.push_back(kv.value);
    return out;
}

}  // namespace tessellon::instance_testing
