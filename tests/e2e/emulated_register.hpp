#pragma once
// The driver's command functions against the whole emulated register,
// in-process: every frame the link writes and every answer the register
// produces is on record, and the register's state and paper tape are at hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "emulator/control.hpp"
#include "emulator/cp866_text.hpp"
#include "emulator_transport.hpp"
#include "platform/ansi_text.hpp"
#include "protocol/answer_fields.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/register_link.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::e2e {

using protocol::FrameBuffer;
using protocol::Result;

// One request frame the link wrote, and how many answer frames the register
// sent back for it (none for a print command inside a package document).
struct SentFrame {
    std::string bytes;
    std::size_t answers = 0;

    std::uint8_t code() const {
        return static_cast<std::uint8_t>(std::stoi(bytes.substr(6, 2), nullptr, 16));
    }
    // The request's fields; the text after the last FS is not one.
    std::vector<std::string> fields() const {
        std::vector<std::string> out;
        const std::string data = bytes.substr(8, bytes.size() - 11);
        std::size_t start = 0;
        for (std::size_t fs; (fs = data.find(protocol::FS, start)) != std::string::npos;
             start = fs + 1) {
            out.push_back(data.substr(start, fs - start));
        }
        return out;
    }
};

struct LineRecord {
    std::vector<SentFrame> frames;
    std::size_t blockBytes = 0;  // bytes of data blocks, written one at a time
};

// The in-process transport with a record of the line kept beside it.
class RecordingTransport final : public protocol::Transport {
  public:
    RecordingTransport(zirok::testing::InProcessRegister& reg, LineRecord& record)
        : reg_(reg), inner_(reg), record_(record) {}
    int open(const char* port, int baud, int handshake) override {
        return inner_.open(port, baud, handshake);
    }
    void close(const char* port) override { inner_.close(port); }
    int send(const char* port, const char* data, int count) override {
        const std::size_t before = reg_.incoming.size();
        const int written = inner_.send(port, data, count);
        // Requests are at least 11 bytes; a data block goes out a byte at a time.
        if (count > 1) {
            record_.frames.push_back({std::string(data, static_cast<std::size_t>(count)), 0});
        } else {
            ++record_.blockBytes;
        }
        for (std::size_t i = before; i < reg_.incoming.size(); ++i) {
            if (reg_.incoming[i] == protocol::STX && !record_.frames.empty()) {
                ++record_.frames.back().answers;
            }
        }
        return written;
    }
    int receive(const char* port, char* byte) override { return inner_.receive(port, byte); }
    void setTimeout(const char* port, int ms) override { inner_.setTimeout(port, ms); }
    void clearBuffers(const char* port) override { inner_.clearBuffers(port); }

  private:
    zirok::testing::InProcessRegister& reg_;
    zirok::testing::EmulatorTransport inner_;
    LineRecord& record_;
};

// Windows-1251 bytes, as the service object hands texts to the commands.
inline std::string win(std::u16string_view text) {
    return platform::wideToAnsi(text);
}
// Code page 866 bytes, as the register keeps texts.
inline std::string dev(std::string_view utf8) {
    return emulator::utf8ToCp866(utf8);
}

// An item line with no adjustment and the pending section. The article is a
// space, as the receipt flow sends it: an empty text would leave no field at
// all and move every field after it one place up.
inline protocol::ItemLine itemLine(std::string name, std::int64_t quantity, std::int64_t price,
                                   int taxIndex) {
    protocol::ItemLine line;
    line.name = std::move(name);
    line.article = " ";
    line.quantity = quantity;
    line.price = price;
    line.taxIndex = taxIndex;
    return line;
}

class EmulatedRegister : public ::testing::Test {
  protected:
    void SetUp() override {
        link.setTransportFactory(
            [this] { return std::make_unique<RecordingTransport>(reg, line); });
        ASSERT_TRUE(link.connect("MNVK", port, 57600, false, false));
    }

    emulator::RegisterState& state() { return reg.model.state(); }

    // A line of the emulator's control channel, as a technician would type it.
    void control(std::string_view text) {
        ASSERT_EQ(emulator::applyControl(text, state(), reg.faults), "") << text;
    }

    void startDay() { ASSERT_EQ(protocol::StartWork(link, port), 0); }

    // The tape printed since the last call, one UTF-8 line each.
    std::vector<std::string> takeTape() { return std::exchange(state().printed, {}); }
    std::string takeTapeText() {
        std::string text;
        for (const std::string& printed : takeTape()) text += printed + "\n";
        return text;
    }

    // Command codes of the frames written from `first` on.
    std::vector<std::uint8_t> codesFrom(std::size_t first) const {
        std::vector<std::uint8_t> codes;
        for (std::size_t i = first; i < line.frames.size(); ++i) {
            codes.push_back(line.frames[i].code());
        }
        return codes;
    }

    zirok::testing::InProcessRegister reg;
    LineRecord line;
    protocol::RegisterLink link;  // after `reg`: its transport refers to it
    const std::string port = "COM1";
};

// A stored document's tagged values: tag and length are two bytes each,
// little-endian, and a container's value is a run of them again.
struct Tlv {
    unsigned tag = 0;
    std::string value;
};

inline std::uint64_t littleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

// The whole run, or an empty list when a length points past its end.
inline std::vector<Tlv> decodeTlvs(std::string_view bytes) {
    std::vector<Tlv> out;
    while (!bytes.empty()) {
        if (bytes.size() < 4) return {};
        const auto tag = static_cast<unsigned>(littleEndian(bytes.substr(0, 2)));
        const auto length = static_cast<std::size_t>(littleEndian(bytes.substr(2, 2)));
        if (bytes.size() - 4 < length) return {};
        out.push_back({tag, std::string(bytes.substr(4, length))});
        bytes.remove_prefix(4 + length);
    }
    return out;
}

inline std::string unhex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

// The members with `tag`, in order.
inline std::vector<const Tlv*> withTag(const std::vector<Tlv>& tlvs, unsigned tag) {
    std::vector<const Tlv*> found;
    for (const Tlv& t : tlvs) {
        if (t.tag == tag) found.push_back(&t);
    }
    return found;
}

// The one member with `tag`; a test failure and 0 when there is not exactly one.
inline std::uint64_t numberOf(const std::vector<Tlv>& tlvs, unsigned tag) {
    const auto found = withTag(tlvs, tag);
    EXPECT_EQ(found.size(), 1u) << "tag " << tag;
    return found.size() == 1 ? littleEndian(found.front()->value) : 0;
}
inline std::string textOf(const std::vector<Tlv>& tlvs, unsigned tag) {
    const auto found = withTag(tlvs, tag);
    EXPECT_EQ(found.size(), 1u) << "tag " << tag;
    return found.size() == 1 ? found.front()->value : std::string();
}

// A document read back as the driver reads it: request 15 selects it, each
// request 16 hands one block of hexadecimal text until the register refuses.
struct DocumentRead {
    Result selected = 0;
    std::vector<std::string> header;  // the ";"-pieces of request 15's data
    std::vector<Tlv> tlvs;            // the top-level TLVs of every block, in order
    std::size_t blocks = 0;
    Result end = 0;  // what ended the reading
};

inline std::vector<std::string> pieces(const std::string& data) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t sc; (sc = data.find(';', start)) != std::string::npos; start = sc + 1) {
        out.push_back(data.substr(start, sc - start));
    }
    if (start < data.size()) out.push_back(data.substr(start));
    return out;
}

inline DocumentRead readDocument(protocol::RegisterLink& link, const std::string& port,
                                 std::int64_t number) {
    DocumentRead read;
    std::string data;
    read.selected = protocol::GetFnInfo(link, port, 15, number, data);
    if (read.selected != 0) return read;
    read.header = pieces(data);
    for (int guard = 0; guard < 500; ++guard) {
        std::string block;
        read.end = protocol::GetFnInfo(link, port, 16, 0, block);
        if (read.end != 0) break;
        ++read.blocks;
        const auto blockPieces = pieces(block);
        const auto tlvs = decodeTlvs(unhex(blockPieces.empty() ? "" : blockPieces.front()));
        EXPECT_EQ(tlvs.size(), 1u) << "one top-level value a block: " << block;
        read.tlvs.insert(read.tlvs.end(), tlvs.begin(), tlvs.end());
    }
    return read;
}

}  // namespace zirok::e2e
