#include "net/cp936.h"

#include <iconv.h>

#include <cerrno>

namespace vexal {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// One iconv descriptor per direction, opened on first use; the program has one thread, the
// tests may have several, so each thread keeps its own.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; returns false when any of it could not be converted.
    bool convert(std::string_view in, std::string& out) {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[256];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst);
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, dst);
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& toCp936() {
    thread_local Converter c("CP936", "UTF-8");
    return c;
}

Converter& fromCp936() {
    thread_local Converter c("UTF-8", "CP936");
    return c;
}

// Length of the UTF-8 sequence that starts with `lead`, or 0 for a byte that cannot start one.
size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

std::vector<uint16_t> cp936Codes(std::string_view utf8) {
    std::vector<uint16_t> codes;
    std::string bytes;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t len = utf8Length(static_cast<unsigned char>(utf8[i]));
        if (len == 0 || i + len > utf8.size()) {
            codes.push_back('?');
            ++i;
            continue;
        }
        if (len == 1) {
            codes.push_back(static_cast<unsigned char>(utf8[i]));
        } else if (toCp936().convert(utf8.substr(i, len), bytes) && bytes.size() == 1) {
            codes.push_back(static_cast<unsigned char>(bytes[0]));
        } else if (bytes.size() == 2) {
            codes.push_back(static_cast<uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                  static_cast<unsigned char>(bytes[1])));
        } else {
            codes.push_back('?');
        }
        i += len;
    }
    return codes;
}

std::string utf8ToCp936(std::string_view utf8) {
    std::string out;
    for (uint16_t code : cp936Codes(utf8)) {
        if (code > 0xFF)
            out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
    }
    return out;
}

std::string cp936CharToUtf8(uint16_t code) {
    std::string in;
    if (code > 0xFF)
        in.push_back(static_cast<char>(code >> 8));
    in.push_back(static_cast<char>(code & 0xFF));
    std::string out;
    if (!fromCp936().convert(in, out) || out.empty())
        return std::string(kReplacement);
    return out;
}

std::string cp936ToUtf8(std::string_view cp936) {
    std::string out;
    size_t i = 0;
    while (i < cp936.size()) {
        auto b = static_cast<unsigned char>(cp936[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
        } else if (i + 1 < cp936.size()) {
            out += cp936CharToUtf8(static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(cp936[i + 1])));
            i += 2;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

}  // namespace vexal
