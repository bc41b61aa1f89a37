// Settings files in the layout of Windows private-profile files, code page 936 on disk.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexal {

// One INI file: "[section]" lines and "key=value" lines. Section and key names match without
// regard to ASCII case and to blanks around them; the first match counts. Text in the API is
// UTF-8, on disk code page 936. Nothing reports errors to the caller's user: a missing file,
// section or key reads as an empty text.
class classIniFile {
public:
    classIniFile() = default;
    explicit classIniFile(std::string path) : m_path(std::move(path)) {}

    // The full path every other operation uses; nobody checks that it exists.
    const std::string& INIFileName() const { return m_path; }
    void setINIFileName(std::string New_IniPath) { m_path = std::move(New_IniPath); }

    // The key's value without blanks at either end and without zero characters, cut to its
    // first 1023 characters; empty when the file, the section or the key does not exist.
    std::string GetIniKey(std::string_view strSection, std::string_view strKey) const;

    // Creates or replaces the key, creating the file and the section when needed; other lines
    // keep their bytes. The file is replaced in one rename, so a failed write leaves the old file.
    // Returns false when nothing was written: an empty key name, a name or value that would break
    // the line layout (a line break, "]" in a section, "=" in a key), or a file system error.
    bool WriteIniKey(std::string_view strSection, std::string_view strKey, std::string_view strValue);
    // The same for several keys of one section, with one rewrite of the file. A key that cannot be
    // written is skipped and the answer is false; the others are written all the same.
    bool WriteIniKeys(std::string_view strSection, const std::vector<std::pair<std::string, std::string>>& keys);

private:
    std::string m_path;
};

// The longest value GetIniKey returns, in characters.
constexpr size_t kIniValueLimit = 1023;

}  // namespace vexal
