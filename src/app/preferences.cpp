#include "app/preferences.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tarnel {

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr const char* kLineEnd = "\r\n";

// Paths are UTF-8 text; this opens them correctly on every platform.
std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimLeft(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    return s.substr(i);
}

std::string trimRight(const std::string& s) {
    std::size_t n = s.size();
    while (n > 0 && isBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

bool equalNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::int64_t parseInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    std::int64_t value = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr == first) return 0;
    return value;
}

bool PreferencesFile::load(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    if (!in) {
        parse(std::string());
        return false;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    parse(content);
    return true;
}

void PreferencesFile::parse(const std::string& content) {
    m_lines.clear();
    m_bom = content.rfind(kBom, 0) == 0;
    std::size_t pos = m_bom ? 3 : 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string raw = content.substr(pos, end - pos);
        pos = end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const std::string text = trimLeft(raw);
        if (trimRight(text).empty()) continue;
        Line line;
        if (text[0] == ';') {
            line.kind = Kind::Comment;
            // Stored without the marker and its blanks, so that writing it
            // back as "; text" is stable over any number of rewrites.
            line.key = trimRight(trimLeft(text.substr(1)));
        } else if (text[0] == '[' && trimRight(text).back() == ']') {
            line.kind = Kind::Group;
            line.key = trimRight(text);
        } else {
            const std::size_t eq = text.find('=');
            if (eq == std::string::npos) {
                // Not an entry: kept as it was.
                line.kind = Kind::Other;
                line.key = trimRight(text);
            } else {
                line.kind = Kind::Entry;
                line.key = trimRight(text.substr(0, eq));
                line.value = trimRight(trimLeft(text.substr(eq + 1)));
            }
        }
        m_lines.push_back(std::move(line));
    }
}

const PreferencesFile::Line* PreferencesFile::findEntry(const std::string& key) const {
    for (const Line& line : m_lines)
        if (line.kind == Kind::Entry && equalNoCase(line.key, key)) return &line;
    return nullptr;
}

std::string PreferencesFile::readText(const std::string& key, const std::string& fallback) const {
    const Line* line = findEntry(key);
    return line ? line->value : fallback;
}

std::int64_t PreferencesFile::readInteger(const std::string& key, std::int64_t fallback) const {
    const Line* line = findEntry(key);
    return line ? parseInteger(line->value) : fallback;
}

void PreferencesFile::writeText(const std::string& key, const std::string& value) {
    if (Line* line = const_cast<Line*>(findEntry(key))) {
        line->value = value;
        return;
    }
    std::size_t at = m_lines.size();
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        if (m_lines[i].kind == Kind::Entry) {
            at = i + 1;
            break;
        }
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{Kind::Entry, key, value});
}

void PreferencesFile::writeInteger(const std::string& key, std::int64_t value) {
    writeText(key, std::to_string(value));
}

std::string PreferencesFile::serialize() const {
    std::string out;
    if (m_bom) {
        out += kBom;
        out += kLineEnd;
    }
    for (const Line& line : m_lines) {
        switch (line.kind) {
            case Kind::Entry: out += line.key + " = " + line.value; break;
            case Kind::Comment: out += "; " + line.key; break;
            case Kind::Group:
            case Kind::Other: out += line.key; break;
        }
        out += kLineEnd;
    }
    return out;
}

bool PreferencesFile::save(const std::string& path) const {
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string content = serialize();
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

}  // namespace tarnel
