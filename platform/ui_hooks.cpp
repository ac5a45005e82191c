#include "platform/ui_hooks.hpp"

#include <cstdio>
#include <utility>

namespace zirok::platform {

namespace {

MessageBoxHook& messageBoxHook() {
    static MessageBoxHook hook;
    return hook;
}

ChoosePortHook& choosePortHook() {
    static ChoosePortHook hook;
    return hook;
}

// stderr takes UTF-8; an unpaired surrogate becomes U+FFFD.
void appendUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

int declined(unsigned flags) {
    switch (flags & mb::kButtonsMask) {
        case mb::kOk:
            return kIdOk;
        case mb::kYesNo:
            return kIdNo;
        case mb::kAbortRetryIgnore:
            return kIdAbort;
        default:
            return kIdCancel;
    }
}

}  // namespace

int messageBox(std::u16string_view text, std::u16string_view caption, unsigned flags) {
    if (const MessageBoxHook& hook = messageBoxHook()) return hook(text, caption, flags);
    std::string line;
    appendUtf8(line, caption);
    line += ": ";
    appendUtf8(line, text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    return declined(flags);
}

std::optional<std::u16string> choosePort(std::u16string_view caption, std::u16string_view prompt,
                                         const std::vector<std::u16string>& entries) {
    if (const ChoosePortHook& hook = choosePortHook()) return hook(caption, prompt, entries);
    return std::nullopt;
}

MessageBoxHook setMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(messageBoxHook(), std::move(hook));
}

ChoosePortHook setChoosePortHook(ChoosePortHook hook) {
    return std::exchange(choosePortHook(), std::move(hook));
}

}  // namespace zirok::platform
