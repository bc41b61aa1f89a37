#include "core/inifile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "net/cp936.h"

namespace vexal {
namespace {

// Files hold code page 936 bytes in the "mixed" reading: a byte of 0x80 or more leads a
// two-byte character whose trail byte may look like "[", "]" or a letter, so scans step over it.
// "=" (0x3D) is below every trail byte and can be searched for directly.
bool leadsPair(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimSpaceAndTab(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare without regard to ASCII case; bytes of double-byte characters compare exactly.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (leadsPair(a, i)) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key lines: everything behind the first "=", untrimmed
};

ParsedLine parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view body = trimSpaceAndTab(line);
    if (body.empty() || body.front() == ';') return {};
    if (body.front() == '[') {
        size_t i = 1;
        while (i < body.size() && body[i] != ']') i += leadsPair(body, i) ? 2 : 1;
        return {LineKind::Section, trimSpaceAndTab(body.substr(1, i - 1)), {}};
    }
    const size_t eq = body.find('=');
    if (eq == std::string_view::npos) return {};
    return {LineKind::Key, trimSpaceAndTab(body.substr(0, eq)), body.substr(eq + 1)};
}

// The file cut into lines, each with its own line end, so untouched lines are written back
// byte for byte.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t nl = text.find('\n', start);
        const size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string_view withoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// C streams, because a file stream throws from inside its buffer on some read errors (a
// directory, say) and nothing here may throw into window code.
std::optional<std::string> readFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return bytes;
}

struct KeyPlace {
    std::optional<size_t> sectionLine;  // the first header of the section
    std::optional<size_t> keyLine;      // the first line of the key in that section
    size_t insertAt = 0;                // where a new key of the section goes
};

KeyPlace findKey(const std::vector<std::string_view>& lines, std::string_view section,
                 std::string_view key) {
    KeyPlace place;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(withoutLineEnd(lines[i]));
        if (parsed.kind == LineKind::Section) {
            if (inSection) break;
            if (sameName(parsed.name, section)) {
                inSection = true;
                place.sectionLine = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        // A new key goes behind the section's last non-blank line, ahead of the blank lines
        // that separate it from the next section.
        if (!trimSpaceAndTab(withoutLineEnd(lines[i])).empty()) place.insertAt = i + 1;
        if (parsed.kind == LineKind::Key && sameName(parsed.name, key)) {
            place.keyLine = i;
            return place;
        }
    }
    return place;
}

// The first `limit` characters of code page 936 text; each becomes one character in UTF-8.
std::string_view firstCharacters(std::string_view cp936, size_t limit) {
    size_t i = 0;
    for (size_t count = 0; count < limit && i < cp936.size(); ++count) i += leadsPair(cp936, i) ? 2 : 1;
    return cp936.substr(0, i);
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool writeWhole(const std::string& path, const std::string& bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    // A link keeps pointing at the settings file; the file behind it is what gets replaced.
    if (fs::is_symlink(target, ec)) {
        target = fs::canonical(target, ec);
        if (ec) return false;
    }
    fs::path temp = target;
    temp += ".tmp" + std::to_string(std::random_device{}());
    auto fail = [&temp] {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    };
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return fail();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) return fail();
    }
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::exists(old)) fs::permissions(temp, old.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) return fail();
    return true;
}

}  // namespace

std::string classIniFile::GetIniKey(std::string_view strSection, std::string_view strKey) const {
    const std::optional<std::string> bytes = readFile(m_path);
    if (!bytes) return {};
    const std::string section = utf8ToCp936(trimSpaceAndTab(strSection));
    const std::string key = utf8ToCp936(trimSpaceAndTab(strKey));
    const std::vector<std::string_view> lines = splitLines(*bytes);
    const KeyPlace place = findKey(lines, section, key);
    if (!place.keyLine) return {};

    const ParsedLine parsed = parseLine(withoutLineEnd(lines[*place.keyLine]));
    const std::string text = cp936ToUtf8(firstCharacters(trimSpaceAndTab(parsed.value), kIniValueLimit));
    const std::string_view cut = trimSpaceAndTab(text);
    std::string value;
    value.reserve(cut.size());
    for (char c : cut)
        if (c != '\0') value.push_back(c);
    return value;
}

namespace {

// `bytes` with the key created or replaced; nothing when the names or the value would break the
// line layout (a line break, "]" in a section, "=" in a key).
std::optional<std::string> withKey(const std::string& bytes, std::string_view strSection, std::string_view strKey,
                                   std::string_view strValue) {
    strSection = trimSpaceAndTab(strSection);
    strKey = trimSpaceAndTab(strKey);
    // Text that would read back as another line, another section or another key is refused.
    if (strKey.empty() || strKey.front() == '[' || strKey.front() == ';' ||
        strKey.find('=') != std::string_view::npos || hasLineBreak(strKey) ||
        hasLineBreak(strSection) || strSection.find(']') != std::string_view::npos ||
        hasLineBreak(strValue))
        return std::nullopt;

    const std::string section = utf8ToCp936(strSection);
    const std::string key = utf8ToCp936(strKey);
    const std::string line = key + "=" + utf8ToCp936(strValue) + "\r\n";

    const std::vector<std::string_view> lines = splitLines(bytes);
    const KeyPlace place = findKey(lines, section, key);

    std::string out;
    out.reserve(bytes.size() + line.size() + section.size() + 8);
    // Lines are copied as they are; only a last line without a line end gets one, and only when
    // something is written behind it.
    auto endLastLine = [&out] {
        if (!out.empty() && out.back() != '\n') out += "\r\n";
    };
    if (place.sectionLine) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (place.keyLine && i == *place.keyLine) {
                out += line;
                continue;
            }
            if (!place.keyLine && i == place.insertAt) out += line;
            out += lines[i];
        }
        if (!place.keyLine && place.insertAt == lines.size()) {
            endLastLine();
            out += line;
        }
    } else {
        out = bytes;
        endLastLine();
        out += "[" + section + "]\r\n" + line;
    }
    return out;
}

}  // namespace

bool classIniFile::WriteIniKey(std::string_view strSection, std::string_view strKey,
                               std::string_view strValue) {
    const std::optional<std::string> out =
        withKey(readFile(m_path).value_or(std::string{}), strSection, strKey, strValue);
    return out && writeWhole(m_path, *out);
}

bool classIniFile::WriteIniKeys(std::string_view strSection,
                                const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string bytes = readFile(m_path).value_or(std::string{});
    bool all = true;
    for (const auto& [key, value] : keys) {
        std::optional<std::string> out = withKey(bytes, strSection, key, value);
        if (out)
            bytes = std::move(*out);
        else
            all = false;
    }
    return writeWhole(m_path, bytes) && all;
}

}  // namespace vexal
