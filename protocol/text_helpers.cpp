#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

std::string byteToHex(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::int32_t hexToNumber(std::string_view text) {
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    if (text.empty() || text.size() > 8) return 0;
    std::uint32_t value = 0;
    for (char c : text) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return 0;
        value = value << 4 | digit;
    }
    return static_cast<std::int32_t>(value);
}

std::string padLeft(std::string_view text, char fill, std::size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), fill);
    out += text;
    return out;
}

std::string_view splitCollapsing(std::string_view text, std::string_view separators, std::size_t k) {
    std::size_t pos = 0;
    for (std::size_t run = 1; k != 0; ++run) {
        pos = text.find_first_not_of(separators, pos);
        if (pos == std::string_view::npos) return {};
        std::size_t end = text.find_first_of(separators, pos);
        if (end == std::string_view::npos) end = text.size();
        if (run == k) return text.substr(pos, end - pos);
        pos = end;
    }
    return {};
}

std::string_view splitKeeping(std::string_view text, std::string_view separators, std::size_t k) {
    if (k == 0) return {};
    std::size_t start = 0;
    for (std::size_t piece = 1;; ++piece) {
        std::size_t end = text.find_first_of(separators, start);
        if (piece == k) return text.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos) return {};
        start = end + 1;
    }
}

std::string replaceAll(std::string_view text, std::string_view search, std::string_view replacement) {
    if (search.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(search, pos)) != std::string_view::npos; pos = hit + search.size()) {
        out.append(text, pos, hit - pos);
        out += replacement;
    }
    out.append(text, pos);
    return out;
}

}  // namespace zirok::protocol
