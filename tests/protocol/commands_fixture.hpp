#pragma once
// A link connected to a scripted port, for driving the command functions and
// reading back the frames they write.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "protocol/register_link.hpp"
#include "scripted_transport.hpp"

namespace zirok::protocol::testing {

inline std::string hexByte(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4 & 15], kDigits[value & 15]};
}

// The register's answer to a request frame, echoing its id and code; `data`
// holds the answer's fields, each followed by FS.
inline std::string answerTo(const std::string& request, std::string_view error = "00",
                            std::string_view data = "") {
    std::string frame = "\x02";
    frame += request[5];
    frame += request.substr(6, 2);
    frame += error;
    frame += data;
    frame += '\x03';
    unsigned sum = 0;
    for (std::size_t i = 1; i < frame.size(); ++i) sum ^= static_cast<unsigned char>(frame[i]);
    return frame + hexByte(sum);
}

// The command code of a request frame, as its two hexadecimal digits.
inline std::string codeOf(const std::string& frame) {
    return frame.substr(6, 2);
}

// The data part of a request frame: between the header and the ETX.
inline std::string dataOf(const std::string& frame) {
    return frame.substr(8, frame.size() - 11);
}

// The request's fields: every field ends with FS, so the text after the last
// one is not a field.
inline std::vector<std::string> fieldsOf(const std::string& frame) {
    std::vector<std::string> fields;
    const std::string data = dataOf(frame);
    std::size_t start = 0;
    for (std::size_t fs; (fs = data.find('\x1C', start)) != std::string::npos; start = fs + 1)
        fields.push_back(data.substr(start, fs - start));
    return fields;
}

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.setTransportFactory([this] { return std::make_unique<ScriptedTransport>(port); });
        answerAll("00");
        ASSERT_TRUE(link.connect("MNVK", com, 57600, false, false));
        port.calls.clear();
    }

    // Every request gets the same answer.
    void answerAll(std::string error, std::string data = "") {
        port.answer = [error, data](const std::string& request) {
            return answerTo(request, error, data);
        };
    }

    // The time-outs set on the port since the last clear of `port.calls`.
    std::vector<std::string> timeouts() const {
        std::vector<std::string> set;
        for (const auto& call : port.calls)
            if (call.rfind("timeout", 0) == 0) set.push_back(call);
        return set;
    }

    void forget() {
        port.writes.clear();
        port.calls.clear();
    }

    ScriptedPort port;
    RegisterLink link;
    const std::string com = "COM1";
};

}  // namespace zirok::protocol::testing
