#include "menu/Cp1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace menu {
namespace {

// Characters of the bytes 0x80..0x9F; the undefined ones keep their C1 value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<unsigned char> EncodeChar(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        // Every character of the code page lies in the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[pos], advancing pos; nullopt if broken.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t lowest = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
        lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
        lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
        lowest = 0x10000;
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(text[pos]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        ++pos;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return c;
}

}  // namespace

char32_t Cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

bool Cp1252CanEncode(char32_t c) {
    return EncodeChar(c).has_value();
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        AppendUtf8(out, Cp1252ToChar(static_cast<unsigned char>(b)));
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> c = NextUtf8(utf8, pos);
        const std::optional<unsigned char> byte = c ? EncodeChar(*c) : std::nullopt;
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return out;
}

bool Cp1252CanEncodeUtf8(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> c = NextUtf8(utf8, pos);
        if (!c || !EncodeChar(*c)) {
            return false;
        }
    }
    return true;
}

}  // namespace menu
