#include "card/GsmText.h"

#include <algorithm>

namespace quillet::card {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kMaxUcs2 = 0xFFFF;
constexpr std::uint8_t kPadding = 0xFF;
constexpr std::uint8_t kUcs2Form = 0x80;
constexpr std::uint8_t kWindow8Form = 0x81;
constexpr std::uint8_t kWindow16Form = 0x82;
constexpr char32_t kWindowSize = 0x80;
constexpr std::size_t kMaxWindowCount = 0xFF;

constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
constexpr bool IsCharacter(char32_t c) { return c <= kMaxCodePoint && !IsSurrogate(c); }

// Unicode of the bytes 0x80..0xFF; U+FFFD marks the five undefined ones.
constexpr std::array<char32_t, 128> kCp1250Upper = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

char32_t Cp1250CharOf(std::uint8_t byte) { return byte < 0x80 ? byte : kCp1250Upper[byte - 0x80]; }

// The default table; its escape entry is the space a lone escape shows as.
constexpr std::array<char32_t, 128> kGsmDefault = {
    '@',    0x00A3, '$',    0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC,  // 00  @ £ $ ¥ è é ù ì
    0x00F2, 0x00C7, '\n',   0x00D8, 0x00F8, '\r',   0x00C5, 0x00E5,  // 08  ò Ç LF Ø ø CR Å å
    0x0394, '_',    0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8,  // 10  Δ _ Φ Γ Λ Ω Π Ψ
    0x03A3, 0x0398, 0x039E, ' ',    0x00C6, 0x00E6, 0x00DF, 0x00C9,  // 18  Σ Θ Ξ ESC Æ æ ß É
    ' ',    '!',    '"',    '#',    0x00A4, '%',    '&',    '\'',    // 20  ¤ in place of $
    '(',    ')',    '*',    '+',    ',',    '-',    '.',    '/',     // 28
    '0',    '1',    '2',    '3',    '4',    '5',    '6',    '7',     // 30
    '8',    '9',    ':',    ';',    '<',    '=',    '>',    '?',     // 38
    0x00A1, 'A',    'B',    'C',    'D',    'E',    'F',    'G',     // 40  ¡ in place of @
    'H',    'I',    'J',    'K',    'L',    'M',    'N',    'O',     // 48
    'P',    'Q',    'R',    'S',    'T',    'U',    'V',    'W',     // 50
    'X',    'Y',    'Z',    0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,  // 58  Ä Ö Ñ Ü §
    0x00BF, 'a',    'b',    'c',    'd',    'e',    'f',    'g',     // 60  ¿
    'h',    'i',    'j',    'k',    'l',    'm',    'n',    'o',     // 68
    'p',    'q',    'r',    's',    't',    'u',    'v',    'w',     // 70
    'x',    'y',    'z',    0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,  // 78  ä ö ñ ü à
};

struct ExtensionEntry {
    std::uint8_t code;
    char32_t character;
};
constexpr std::array<ExtensionEntry, 10> kGsmExtension = {{
    {0x0A, 0x000C},  // form feed (page break)
    {0x14, '^'},
    {0x28, '{'},
    {0x29, '}'},
    {0x2F, '\\'},
    {0x3C, '['},
    {0x3D, '~'},
    {0x3E, ']'},
    {0x40, '|'},
    {0x65, 0x20AC},  // euro sign, on the code of 'e' so that older phones show an 'e'
}};

// The character at codes[i], a code below 0x80; an escape takes the code after it along. Advances i.
char32_t TakeGsmChar(std::span<const std::uint8_t> codes, std::size_t& i) {
    const std::uint8_t code = codes[i++];
    if (code != kGsmEscape || i >= codes.size() || codes[i] >= 0x80) return GsmCharOf(code);
    const std::uint8_t next = codes[i++];
    for (const ExtensionEntry& entry : kGsmExtension) {
        if (entry.code == next) return entry.character;
    }
    return GsmCharOf(next);
}

std::span<const std::uint8_t> WithoutPadding(std::span<const std::uint8_t> bytes) {
    std::size_t end = bytes.size();
    while (end > 0 && bytes[end - 1] == kPadding) --end;
    return bytes.first(end);
}

// The body of a 0x81 or 0x82 form: `count` bytes, or when the record is shorter what it holds
// before its padding.
std::u32string DecodeWindowed(std::span<const std::uint8_t> body, std::size_t count, char32_t base) {
    const auto codes = count <= body.size() ? body.first(count) : WithoutPadding(body);
    std::u32string text;
    for (std::size_t i = 0; i < codes.size();) {
        if (codes[i] < 0x80) {
            text.push_back(TakeGsmChar(codes, i));
            continue;
        }
        const char32_t c = base + (codes[i++] & 0x7F);
        text.push_back(c <= kMaxUcs2 && !IsSurrogate(c) ? c : kReplacementCharacter);
    }
    return text;
}

// How a text is written as a name: the form byte (0 for the default alphabet), the window base of
// the 0x81 and 0x82 forms and the bytes it takes.
struct AlphaPlan {
    std::uint8_t form = 0;
    char32_t base = 0;
    std::size_t size = 0;
};

// Bytes of the text after the header of a windowed form: default-alphabet characters take their
// septets unless the window holds an extension character, which then takes one byte. Appends
// them to `out` when given. Nothing when a character lies in neither.
std::optional<std::size_t> WindowedBody(std::u32string_view text, char32_t base, std::vector<std::uint8_t>* out) {
    std::size_t length = 0;
    for (const char32_t c : text) {
        auto code = SeptetsOf(c);
        if ((!code || code->count == 2) && c >= base && c - base < kWindowSize) {
            code = GsmSeptets{{static_cast<std::uint8_t>(0x80 | (c - base)), 0}, 1};
        }
        if (!code) return std::nullopt;
        if (out) out->insert(out->end(), code->septets.begin(), code->septets.begin() + code->count);
        length += code->count;
    }
    return length;
}

// Every form that holds the text, in the order that wins a tie; none when a character has no form.
std::vector<AlphaPlan> AlphaPlans(std::u32string_view text) {
    // U+FFFF would read as the end of a 0x80 name.
    if (std::any_of(text.begin(), text.end(), [](char32_t c) { return c >= kMaxUcs2 || IsSurrogate(c); })) {
        return {};
    }
    std::size_t septetCount = 0;
    char32_t low = kMaxUcs2, high = 0;
    std::u32string extensionChars;
    for (const char32_t c : text) {
        if (const auto septets = SeptetsOf(c)) {
            septetCount += septets->count;
            if (septets->count == 2) extensionChars.push_back(c);
        } else {
            low = std::min(low, c), high = std::max(high, c);
        }
    }
    if (low > high) return {AlphaPlan{0, 0, septetCount}};

    std::vector<AlphaPlan> plans;
    const auto tryWindow = [&](std::uint8_t form, char32_t base, std::size_t header) {
        const auto body = WindowedBody(text, base, nullptr);
        if (body && *body <= kMaxWindowCount) plans.push_back({form, base, header + *body});
    };
    if (low >> 7 <= 0xFF) tryWindow(kWindow8Form, low & ~(kWindowSize - 1), 3);
    if (high - low < kWindowSize) {
        // Unicode blocks start on multiples of 16, and GSM 11.11's own example starts its window at one:
        // so do we when the window still reaches the highest character. A window starting at an
        // extension character may hold that character as one byte instead of two.
        if ((low & ~char32_t{0xF}) + kWindowSize > high) tryWindow(kWindow16Form, low & ~char32_t{0xF}, 4);
        tryWindow(kWindow16Form, low, 4);
        for (const char32_t e : extensionChars) {
            if (e <= low && e + kWindowSize > high) tryWindow(kWindow16Form, e, 4);
        }
    }
    plans.push_back({kUcs2Form, 0, 1 + 2 * text.size()});
    // Shortest first; stable, so a tie keeps the order above.
    std::stable_sort(plans.begin(), plans.end(),
                     [](const AlphaPlan& a, const AlphaPlan& b) { return a.size < b.size; });
    return plans;
}

void AppendUnit(std::vector<std::uint8_t>& out, char32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
}

std::vector<std::uint8_t> EncodePlanned(std::u32string_view text, const AlphaPlan& plan) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(plan.size);
    switch (plan.form) {
        case 0:
            return EncodeSeptets(text).value_or(bytes);
        case kUcs2Form:
            bytes.push_back(kUcs2Form);
            for (const char32_t c : text) AppendUnit(bytes, c);
            return bytes;
        case kWindow8Form:
            bytes = {kWindow8Form, static_cast<std::uint8_t>(plan.size - 3), static_cast<std::uint8_t>(plan.base >> 7)};
            break;
        default:
            bytes = {kWindow16Form, static_cast<std::uint8_t>(plan.size - 4)};
            AppendUnit(bytes, plan.base);
            break;
    }
    WindowedBody(text, plan.base, &bytes);
    return bytes;
}

// The shortest form of the text, any size.
std::optional<std::vector<std::uint8_t>> EncodeAlpha(std::u32string_view text, PaddingByte padding) {
    for (const AlphaPlan& plan : AlphaPlans(text)) {
        std::vector<std::uint8_t> bytes = EncodePlanned(text, plan);
        if (padding == PaddingByte::Allowed || std::find(bytes.begin(), bytes.end(), kPadding) == bytes.end()) {
            return bytes;
        }
    }
    return std::nullopt;
}

}  // namespace

// ---- UTF-8 ---------------------------------------------------------------------------------------

std::string Utf8FromText(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        if (!IsCharacter(c)) c = kReplacementCharacter;
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static constexpr std::array<std::uint8_t, 4> kLead = {0x00, 0xC0, 0xE0, 0xF0};
        bytes.push_back(static_cast<char>(kLead[continuations] | (c >> (6 * continuations))));
        for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6) {
            bytes.push_back(static_cast<char>(0x80 | ((c >> shift) & 0x3F)));
        }
    }
    return bytes;
}

std::optional<std::u32string> TextFromUtf8(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[i++]);
        if (lead < 0x80) {
            text.push_back(lead);
            continue;
        }
        // The smallest code point each length may carry rules out overlong forms.
        std::size_t continuations = 0;
        char32_t c = 0, smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            continuations = 1, c = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            continuations = 2, c = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            continuations = 3, c = lead & 0x07, smallest = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i < continuations) return std::nullopt;
        for (std::size_t k = 0; k < continuations; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i++]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < smallest || !IsCharacter(c)) return std::nullopt;
        text.push_back(c);
    }
    return text;
}

// ---- Windows-1250 --------------------------------------------------------------------------------

std::u32string TextFromCp1250(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) text.push_back(Cp1250CharOf(static_cast<std::uint8_t>(byte)));
    return text;
}

std::optional<char> Cp1250ByteOf(char32_t character) {
    if (character < 0x80) return static_cast<char>(character);
    if (character == kReplacementCharacter) return std::nullopt;
    const auto found = std::find(kCp1250Upper.begin(), kCp1250Upper.end(), character);
    if (found == kCp1250Upper.end()) return std::nullopt;
    return static_cast<char>(0x80 + (found - kCp1250Upper.begin()));
}

std::string Cp1250FromText(std::u32string_view text, char replacement) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text) bytes.push_back(Cp1250ByteOf(c).value_or(replacement));
    return bytes;
}

// ---- GSM 7-bit default alphabet ------------------------------------------------------------------

char32_t GsmCharOf(std::uint8_t septet) { return septet < 0x80 ? kGsmDefault[septet] : kReplacementCharacter; }

std::optional<GsmSeptets> SeptetsOf(char32_t character) {
    for (std::uint8_t septet = 0; septet < kGsmDefault.size(); ++septet) {
        if (septet != kGsmEscape && kGsmDefault[septet] == character) return GsmSeptets{{septet, 0}, 1};
    }
    for (const ExtensionEntry& entry : kGsmExtension) {
        if (entry.character == character) return GsmSeptets{{kGsmEscape, entry.code}, 2};
    }
    return std::nullopt;
}

std::u32string DecodeSeptets(std::span<const std::uint8_t> septets) {
    std::u32string text;
    text.reserve(septets.size());
    for (std::size_t i = 0; i < septets.size();) {
        if (septets[i] < 0x80) {
            text.push_back(TakeGsmChar(septets, i));
        } else {
            text.push_back(kReplacementCharacter), ++i;
        }
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> EncodeSeptets(std::u32string_view text) {
    std::vector<std::uint8_t> septets;
    septets.reserve(text.size());
    for (const char32_t c : text) {
        const auto code = SeptetsOf(c);
        if (!code) return std::nullopt;
        septets.insert(septets.end(), code->septets.begin(), code->septets.begin() + code->count);
    }
    return septets;
}

// ---- Alpha identifiers ---------------------------------------------------------------------------

DecodedAlpha DecodeAlphaIdentifier(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return {};
    switch (bytes[0]) {
        case kUcs2Form: {
            std::size_t end = 1;
            while (end + 1 < bytes.size() && (bytes[end] != kPadding || bytes[end + 1] != kPadding)) end += 2;
            return {DecodeUcs2(bytes.subspan(1, end - 1)), true};
        }
        case kWindow8Form:
            if (bytes.size() < 3) return {};
            return {DecodeWindowed(bytes.subspan(3), bytes[1], char32_t{bytes[2]} << 7), true};
        case kWindow16Form:
            if (bytes.size() < 4) return {};
            return {DecodeWindowed(bytes.subspan(4), bytes[1], char32_t{bytes[2]} << 8 | bytes[3]), true};
        default:
            break;
    }
    const auto name = WithoutPadding(bytes);
    if (std::any_of(name.begin(), name.end(), [](std::uint8_t b) { return b >= 0x80; })) {
        std::u32string text;
        for (const std::uint8_t b : name) text.push_back(Cp1250CharOf(b));
        return {text, false};
    }
    return {DecodeSeptets(name), true};
}

std::optional<std::vector<std::uint8_t>> EncodeAlphaIdentifier(std::u32string_view text, std::size_t maxBytes,
                                                               PaddingByte padding) {
    const auto encoded = EncodeAlpha(text, padding);
    if (!encoded || encoded->size() > maxBytes) return std::nullopt;
    return encoded;
}

std::optional<std::size_t> AlphaIdentifierBytes(std::u32string_view text, PaddingByte padding) {
    const auto encoded = EncodeAlpha(text, padding);
    if (!encoded) return std::nullopt;
    return encoded->size();
}

std::vector<std::uint8_t> CutAlphaIdentifier(std::span<const std::uint8_t> bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes) return {bytes.begin(), bytes.end()};
    const DecodedAlpha decoded = DecodeAlphaIdentifier(bytes);
    if (!decoded.gsmText) return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(maxBytes)};
    // The whole text may fit in a shorter form; the empty text always fits.
    for (std::size_t length = decoded.text.size() + 1; length > 0; --length) {
        if (auto cut = EncodeAlphaIdentifier(std::u32string_view(decoded.text).substr(0, length - 1), maxBytes,
                                             PaddingByte::Avoided)) {
            return std::move(*cut);
        }
    }
    return {};
}

// ---- UCS2 of messages ----------------------------------------------------------------------------

std::u32string DecodeUcs2(std::span<const std::uint8_t> bytes) {
    const std::size_t units = bytes.size() / 2;
    const auto unitAt = [&](std::size_t k) { return char32_t{bytes[2 * k]} << 8 | bytes[2 * k + 1]; };
    std::u32string text;
    text.reserve(units);
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t unit = unitAt(k);
        if (!IsSurrogate(unit)) {
            text.push_back(unit);
        } else if (unit < 0xDC00 && k + 1 < units && unitAt(k + 1) >= 0xDC00 && unitAt(k + 1) <= 0xDFFF) {
            text.push_back(0x10000 + ((unit - 0xD800) << 10) + (unitAt(++k) - 0xDC00));
        } else {
            text.push_back(kReplacementCharacter);
        }
    }
    return text;
}

std::vector<std::uint8_t> EncodeUcs2(std::u32string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * text.size());
    for (char32_t c : text) {
        if (!IsCharacter(c)) c = kReplacementCharacter;
        if (c <= kMaxUcs2) {
            AppendUnit(bytes, c);
        } else {
            AppendUnit(bytes, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(bytes, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

}  // namespace quillet::card
