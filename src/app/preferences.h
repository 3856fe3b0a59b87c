#pragma once
// The preferences file: "key = value" lines ended by CR LF.
//
// Reading skips leading spaces and tabs; ";" lines are comments and "[name]"
// lines groups, both kept in place and written back (comments as "; " and
// their text). Keys compare without regard to case. A file starting with
// the UTF-8 byte-order mark is written back starting with the mark and a
// CR LF. Blank lines are dropped. Writing an existing key replaces its value
// in place; a new key goes after the last entry. save() rewrites the whole
// file from the lines in order.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnel {

inline constexpr const char* kPreferencesFileName = "Tarnel.prefs";
inline constexpr const char* kKeyLastPath = "LastPath";
inline constexpr const char* kKeyLastWindowState = "LastWindowState";

class PreferencesFile {
public:
    // Reads the file; a missing or unreadable file gives an empty one.
    // Returns whether the file could be read.
    bool load(const std::string& path);
    // Parses file content (the bytes of a file).
    void parse(const std::string& content);

    // The value of key, or fallback when the key is missing.
    std::string readText(const std::string& key, const std::string& fallback) const;
    // A signed 64-bit decimal; text that does not parse (or overflows) gives 0.
    std::int64_t readInteger(const std::string& key, std::int64_t fallback) const;

    void writeText(const std::string& key, const std::string& value);
    void writeInteger(const std::string& key, std::int64_t value);

    // The file content as save() writes it.
    std::string serialize() const;
    // Writes serialize() to path, creating or truncating it; false on failure.
    bool save(const std::string& path) const;

private:
    enum class Kind { Entry, Comment, Group, Other };
    struct Line {
        Kind kind = Kind::Entry;
        std::string key;   // Entry: the key; Comment/Group/Other: the text
        std::string value;
    };
    const Line* findEntry(const std::string& key) const;

    std::vector<Line> m_lines;
    bool m_bom = false;
};

// Parses a signed 64-bit decimal number with optional leading sign; 0 for
// text that does not start with a number or does not fit.
std::int64_t parseInteger(const std::string& text);

}  // namespace tarnel
