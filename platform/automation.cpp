#include "platform/automation.hpp"

#include <limits>

namespace zirok::platform {

namespace {

constexpr std::int64_t kCurrencyScale = 10000;

const char* typeName(VarType t) {
    switch (t) {
        case VarType::Empty:
            return "empty";
        case VarType::I4:
            return "integer";
        case VarType::Cy:
            return "currency";
        case VarType::BStr:
            return "text";
        case VarType::Dispatch:
            return "dispatch reference";
        case VarType::Bool:
            return "boolean";
    }
    return "unknown";
}

[[noreturn]] void mismatch(VarType from, VarType to) {
    throw AutomationError(hresult::kTypeMismatch, std::string("type mismatch: ") + typeName(from) +
                                                      " where " + typeName(to) + " is expected");
}

[[noreturn]] void overflow(VarType to) {
    throw AutomationError(hresult::kOverflow, std::string("value does not fit in ") + typeName(to));
}

// Only for messages: a text as UTF-8, cut to a readable length.
std::string forMessage(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && out.size() < 60; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A number written as text, kept as its digits so that no precision is lost
// before it is scaled to its target.
struct DecimalText {
    bool negative = false;
    std::u16string_view whole;
    std::u16string_view fraction;
};

bool allDigits(std::u16string_view s) {
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

std::optional<DecimalText> parseDecimal(std::u16string_view text) {
    text = trimmed(text);
    DecimalText d;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        d.negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    const auto dot = text.find(u'.');
    d.whole = text.substr(0, dot);
    if (dot != std::u16string_view::npos) d.fraction = text.substr(dot + 1);
    if (d.whole.empty() && d.fraction.empty()) return std::nullopt;
    if (!allDigits(d.whole) || !allDigits(d.fraction)) return std::nullopt;
    return d;
}

bool isZero(const DecimalText& d) {
    for (char16_t c : d.whole) {
        if (c != u'0') return false;
    }
    for (char16_t c : d.fraction) {
        if (c != u'0') return false;
    }
    return true;
}

// The number times 10^scale, rounded half to even, or nothing when it falls
// outside [min, max].
std::optional<std::int64_t> scaled(const DecimalText& d, int scale, std::int64_t min,
                                   std::int64_t max) {
    const unsigned __int128 limit =
        d.negative ? static_cast<unsigned __int128>(-(min + 1)) + 1 : max;
    unsigned __int128 magnitude = 0;
    auto push = [&](char16_t digit) {
        magnitude = magnitude * 10 + static_cast<unsigned>(digit - u'0');
        return magnitude <= limit;
    };
    for (char16_t c : d.whole) {
        if (!push(c)) return std::nullopt;
    }
    for (int i = 0; i < scale; ++i) {
        const char16_t c = i < static_cast<int>(d.fraction.size()) ? d.fraction[i] : u'0';
        if (!push(c)) return std::nullopt;
    }
    if (static_cast<int>(d.fraction.size()) > scale) {
        const auto rest = d.fraction.substr(scale);
        const bool beyondHalf = rest.find_first_not_of(u'0', 1) != std::u16string_view::npos;
        const char16_t first = rest.front();
        if (first > u'5' || (first == u'5' && (beyondHalf || magnitude % 2 == 1))) {
            if (++magnitude > limit) return std::nullopt;
        }
    }
    return d.negative ? static_cast<std::int64_t>(-static_cast<__int128>(magnitude))
                      : static_cast<std::int64_t>(magnitude);
}

std::int64_t parseScaled(std::u16string_view text, int scale, VarType to, std::int64_t min,
                         std::int64_t max) {
    const auto d = parseDecimal(text);
    if (!d) {
        throw AutomationError(hresult::kTypeMismatch,
                              "type mismatch: \"" + forMessage(text) + "\" is not a number");
    }
    const auto value = scaled(*d, scale, min, max);
    if (!value) overflow(to);
    return *value;
}

bool textToBool(std::u16string_view text) {
    const auto t = trimmed(text);
    if (namesEqual(t, std::string_view("true"))) return true;
    if (namesEqual(t, std::string_view("false"))) return false;
    const auto d = parseDecimal(t);
    if (!d) {
        throw AutomationError(hresult::kTypeMismatch,
                              "type mismatch: \"" + forMessage(text) + "\" is not a boolean");
    }
    return !isZero(*d);
}

std::int32_t currencyToInt(Currency c) {
    std::int64_t q = c.value / kCurrencyScale;
    const std::int64_t r = c.value % kCurrencyScale;  // same sign as the value
    const std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > kCurrencyScale || (twice == kCurrencyScale && q % 2 != 0)) q += r < 0 ? -1 : 1;
    if (q < std::numeric_limits<std::int32_t>::min() ||
        q > std::numeric_limits<std::int32_t>::max()) {
        overflow(VarType::I4);
    }
    return static_cast<std::int32_t>(q);
}

std::u16string decimalText(std::uint64_t magnitude, bool negative) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (negative) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string currencyText(Currency c) {
    const bool negative = c.value < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(c.value) : static_cast<std::uint64_t>(c.value);
    std::u16string text = decimalText(magnitude / kCurrencyScale, negative);
    std::uint64_t fraction = magnitude % kCurrencyScale;
    if (fraction) {
        std::u16string digits = decimalText(fraction + kCurrencyScale, false).substr(1);
        while (digits.back() == u'0') digits.pop_back();
        text += u'.';
        text += digits;
    }
    return text;
}

char16_t foldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
}

}  // namespace

Variant Variant::byRef(Variant& target) {
    Variant v;
    v.value_ = target.isByRef() ? std::get<Variant*>(target.value_) : &target;
    return v;
}

Variant Variant::fromBoolWord(std::int16_t word) {
    Variant v;
    v.value_ = Boolean{word};
    return v;
}

const Variant& Variant::value() const {
    return isByRef() ? *std::get<Variant*>(value_) : *this;
}

Variant& Variant::target() const {
    if (!isByRef()) {
        throw AutomationError(hresult::kTypeMismatch, std::string("type mismatch: ") +
                                                          typeName(type()) +
                                                          " passed where a reference is expected");
    }
    return *std::get<Variant*>(value_);
}

void Variant::store(const Variant& v) const {
    Variant& t = target();
    t = t.type() == VarType::Empty ? v.value() : coerce(v, t.type());
}

VarType Variant::type() const {
    switch (value().value_.index()) {
        case 1:
            return VarType::I4;
        case 2:
            return VarType::Bool;
        case 3:
            return VarType::BStr;
        case 4:
            return VarType::Cy;
        case 5:
            return VarType::Dispatch;
        default:
            return VarType::Empty;
    }
}

std::uint16_t Variant::vt() const {
    return static_cast<std::uint16_t>(type()) | (isByRef() ? kVtByRef : 0);
}

std::int32_t Variant::asInt() const {
    if (type() != VarType::I4) mismatch(type(), VarType::I4);
    return std::get<std::int32_t>(value().value_);
}

bool Variant::asBool() const {
    return asVariantBool() != kVariantFalse;
}

std::int16_t Variant::asVariantBool() const {
    if (type() != VarType::Bool) mismatch(type(), VarType::Bool);
    return std::get<Boolean>(value().value_).value;
}

const std::u16string& Variant::asString() const {
    if (type() != VarType::BStr) mismatch(type(), VarType::BStr);
    return std::get<std::u16string>(value().value_);
}

Currency Variant::asCurrency() const {
    if (type() != VarType::Cy) mismatch(type(), VarType::Cy);
    return std::get<Currency>(value().value_);
}

const std::shared_ptr<Dispatch>& Variant::asDispatch() const {
    if (type() != VarType::Dispatch) mismatch(type(), VarType::Dispatch);
    return std::get<std::shared_ptr<Dispatch>>(value().value_);
}

bool operator==(const Variant& a, const Variant& b) {
    return a.value_ == b.value_;
}

Variant coerce(const Variant& v, VarType to) {
    const Variant& from = v.value();
    const VarType type = from.type();
    if (type == to) return from;
    if (to == VarType::Empty) return {};
    if (type == VarType::Dispatch || to == VarType::Dispatch) mismatch(type, to);
    constexpr auto i32min = std::numeric_limits<std::int32_t>::min();
    constexpr auto i32max = std::numeric_limits<std::int32_t>::max();
    switch (to) {
        case VarType::I4:
            switch (type) {
                case VarType::Empty:
                    return Variant(0);
                case VarType::Bool:
                    return Variant(static_cast<std::int32_t>(from.asVariantBool()));
                case VarType::Cy:
                    return Variant(currencyToInt(from.asCurrency()));
                case VarType::BStr:
                    return Variant(static_cast<std::int32_t>(
                        parseScaled(from.asString(), 0, to, i32min, i32max)));
                default:
                    break;
            }
            break;
        case VarType::Bool:
            switch (type) {
                case VarType::Empty:
                    return Variant(false);
                case VarType::I4:
                    return Variant(from.asInt() != 0);
                case VarType::Cy:
                    return Variant(from.asCurrency().value != 0);
                case VarType::BStr:
                    return Variant(textToBool(from.asString()));
                default:
                    break;
            }
            break;
        case VarType::Cy:
            switch (type) {
                case VarType::Empty:
                    return Variant(Currency{0});
                case VarType::I4:
                    return Variant(Currency{from.asInt() * kCurrencyScale});
                case VarType::Bool:
                    return Variant(Currency{from.asVariantBool() * kCurrencyScale});
                case VarType::BStr:
                    return Variant(Currency{parseScaled(from.asString(), 4, to,
                                                        std::numeric_limits<std::int64_t>::min(),
                                                        std::numeric_limits<std::int64_t>::max())});
                default:
                    break;
            }
            break;
        case VarType::BStr:
            switch (type) {
                case VarType::Empty:
                    return Variant(std::u16string());
                case VarType::I4: {
                    const std::int64_t i = from.asInt();
                    return Variant(decimalText(static_cast<std::uint64_t>(i < 0 ? -i : i), i < 0));
                }
                case VarType::Bool:
                    return Variant(std::u16string(from.asBool() ? u"-1" : u"0"));
                case VarType::Cy:
                    return Variant(currencyText(from.asCurrency()));
                default:
                    break;
            }
            break;
        default:
            break;
    }
    mismatch(type, to);
}

bool namesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

bool namesEqual(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        // A narrow name is ASCII; a byte above 0x7F never matches.
        const auto c = static_cast<unsigned char>(b[i]);
        if (c > 0x7F || foldAscii(a[i]) != foldAscii(c)) return false;
    }
    return true;
}

}  // namespace zirok::platform
