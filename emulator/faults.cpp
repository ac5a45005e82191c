#include "emulator/faults.hpp"

#include <charconv>
#include <stdexcept>

namespace zirok::emulator {

namespace {

struct KindName {
    std::string_view name;
    FaultKind kind;
    bool takesArg;
};

constexpr KindName kKinds[] = {
    {"error", FaultKind::Error, true},  {"silent", FaultKind::Silent, false},
    {"late", FaultKind::Late, true},    {"badsum", FaultKind::BadSum, false},
    {"badid", FaultKind::BadId, false}, {"badcmd", FaultKind::BadCmd, false},
    {"noise", FaultKind::Noise, true},  {"flood", FaultKind::Flood, false},
    {"slow", FaultKind::Slow, true},
};

std::vector<std::string_view> splitColons(std::string_view text) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t colon = text.find(':');
        parts.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos) return parts;
        text.remove_prefix(colon + 1);
    }
}

std::optional<unsigned> parseUnsigned(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

[[noreturn]] void reject(std::string_view text, std::string_view why) {
    throw std::invalid_argument("fault '" + std::string(text) + "': " + std::string(why));
}

bool matches(const Fault& fault, std::uint8_t code) {
    return !fault.code || *fault.code == code;
}

// Id that differs from the given one but stays within the range hosts use.
std::uint8_t otherId(std::uint8_t id) {
    return id >= 0xF0 || id < 0x20 ? 0x20 : id + 1;
}

std::string noise(unsigned count) {
    // Includes ETX and FS so a receiver that does not wait for STX trips over it.
    static constexpr char kPattern[] = {'\x55', '\xAA', '\x03', '\x00', '\x1C', '\xFF', 'x'};
    std::string bytes;
    for (unsigned i = 0; i < count; ++i) bytes += kPattern[i % sizeof kPattern];
    return bytes;
}

}  // namespace

Fault parseFault(std::string_view text) {
    const std::vector<std::string_view> parts = splitColons(text);
    if (parts.size() < 2) reject(text, "expected CODE:KIND");

    Fault fault;
    if (parts[0] != "*") {
        const std::string_view code = parts[0];
        const auto value = code.size() == 1 ? parseHexByte(std::string("0") + std::string(code))
                                            : parseHexByte(code);
        if (!value) reject(text, "command code must be one or two hex digits or *");
        fault.code = value;
    }

    const KindName* kind = nullptr;
    for (const KindName& candidate : kKinds) {
        if (candidate.name == parts[1]) kind = &candidate;
    }
    if (!kind) reject(text, "unknown kind '" + std::string(parts[1]) + "'");
    fault.kind = kind->kind;

    std::size_t next = 2;
    if (kind->takesArg) {
        const auto arg = next < parts.size() ? parseUnsigned(parts[next]) : std::nullopt;
        if (!arg) reject(text, std::string(kind->name) + " needs a decimal number");
        if (fault.kind == FaultKind::Error && (*arg == 0 || *arg > 255))
            reject(text, "device error must be 1..255");
        if (fault.kind == FaultKind::Slow && *arg == 0) reject(text, "baud rate must be positive");
        fault.arg = *arg;
        ++next;
    }
    if (next < parts.size()) {
        const auto times = parts[next] == "once" ? 1u : parseUnsigned(parts[next]);
        if (!times || *times == 0) reject(text, "count must be 'once' or a positive number");
        fault.times = times;
        ++next;
    }
    if (next != parts.size()) reject(text, "unexpected trailing part");
    return fault;
}

void FaultPlan::take(std::size_t index) {
    Fault& fault = faults_[index];
    if (fault.times && --*fault.times == 0) {
        faults_.erase(faults_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::uint8_t FaultPlan::takeError(std::uint8_t code) {
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (faults_[i].kind == FaultKind::Error && matches(faults_[i], code)) {
            const auto error = static_cast<std::uint8_t>(faults_[i].arg);
            take(i);
            return error;
        }
    }
    return 0;
}

Transmission FaultPlan::shape(const Answer& answer) {
    // Collect first, consume after: a silent answer must not use up the other faults.
    std::vector<Fault> active;
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (faults_[i].kind == FaultKind::Error || !matches(faults_[i], answer.code)) continue;
        if (faults_[i].kind == FaultKind::Silent) {
            active.assign(1, faults_[i]);
            used.assign(1, i);
            break;
        }
        active.push_back(faults_[i]);
        used.push_back(i);
    }
    for (auto it = used.rbegin(); it != used.rend(); ++it) take(*it);

    Answer sent = answer;
    bool badSum = false;
    bool flood = false;
    Transmission out;
    std::string prefix;
    for (const Fault& fault : active) {
        switch (fault.kind) {
            case FaultKind::Silent:
                return {};
            case FaultKind::Late:
                out.delayMs += fault.arg;
                break;
            case FaultKind::BadSum:
                badSum = true;
                break;
            case FaultKind::BadId:
                sent.id = otherId(answer.id);
                break;
            case FaultKind::BadCmd:
                sent.code = static_cast<std::uint8_t>(answer.code ^ 0x01);
                break;
            case FaultKind::Noise:
                prefix += noise(fault.arg);
                break;
            case FaultKind::Flood:
                flood = true;
                break;
            case FaultKind::Slow:
                out.baud = fault.arg;
                break;
            case FaultKind::Error:
                break;
        }
    }

    std::string frame = encodeAnswer(sent);
    if (flood) {
        // A real header, then filler that never closes the frame.
        frame.resize(6);
        frame.resize(kFloodBytes, '0');
    } else if (badSum) {
        const auto sum = parseHexByte(std::string_view(frame).substr(frame.size() - 2));
        frame.replace(frame.size() - 2, 2, hexByte(static_cast<std::uint8_t>(*sum ^ 0xFF)));
    }
    out.bytes = prefix + frame;
    return out;
}

}  // namespace zirok::emulator
