#pragma once
// What the property, result and query tests share: a service object talking
// to the in-process register through the process-wide link, with answers
// scripted per request where a case needs exact numbers, the register's
// trace file, and a control object that records the events it receives.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/commands/commands.hpp"
#include "emulator_transport.hpp"
#include "logging/client/logger.hpp"
#include "platform/ansi_text.hpp"
#include "platform/automation.hpp"
#include "protocol/codepage.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"
#include "tests/logging/scratch.hpp"

namespace zirok::so::testing {

// The service object with the instance state a test sets up directly.
class Probe : public TSOZirok {
  public:
    using TSOZirok::controlObject_;
    using TSOZirok::factoryNumber_;
    using TSOZirok::firmwareVersion_;
    using TSOZirok::logger_;
};

// A control object that keeps every event it is sent.
class RecordingControl : public platform::Dispatch {
  public:
    struct Call {
        platform::DispId id;
        std::vector<std::int32_t> args;
    };
    std::optional<platform::DispId> getIdsOfNames(std::u16string_view) const override {
        return std::nullopt;
    }
    platform::Variant invoke(platform::DispId id, unsigned,
                             std::vector<platform::Variant>& args) override {
        Call call{id, {}};
        for (const auto& arg : args) call.args.push_back(arg.value().asInt());
        calls.push_back(std::move(call));
        return {};
    }
    std::vector<Call> calls;
};

// The trace file of one service object, written through the real library.
class TraceCapture {
  public:
    explicit TraceCapture(Probe& zirok) {
        auto logger = std::make_unique<logging::TLogger>();
        logger->AddInstance("trace");
        logger->Open();
        path_ = logger->LogFolder() + "trace.log";
        zirok.logger_ = std::move(logger);
    }

    // Every message in order, without its time stamp and closing ";"; a
    // message of several lines keeps its CR LF. A level marker stays.
    std::vector<std::string> messages() const {
        std::vector<std::string> result;
        for (const std::string& line : logging::testing::readLines(path_)) {
            const bool stamped = line.size() >= 10 && line[2] == ':' && line[5] == ':' &&
                                 line.compare(8, 2, ": ") == 0;
            if (stamped) {
                result.push_back(line.substr(10));
            } else if (!result.empty()) {
                result.back() += "\r\n" + line;
            }
        }
        for (std::string& message : result)
            if (!message.empty() && message.back() == ';') message.pop_back();
        return result;
    }

  private:
    logging::testing::ScratchFolder state_;
    logging::testing::ScopedEnv stateHome_{"XDG_STATE_HOME", state_.path + "/"};
    std::string path_;
};

// Windows-1251 bytes of a text written in the test source.
inline std::string ansi(std::u16string_view text) {
    return platform::wideToAnsi(text);
}
// The same text as the register holds it.
inline std::string device(std::u16string_view text) {
    return protocol::toDeviceText(platform::wideToAnsi(text));
}

// One scripted request: the command code, the request's fields joined by
// ";", and the answer's fields, or the device error it fails with.
struct Scripted {
    std::uint8_t code;
    std::string request;
    std::vector<std::string> fields;
    std::uint8_t error = 0;
};

class RegisterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The link is process-wide and keeps the transport it first loaded,
        // so one register serves every test and is made new for each.
        static zirok::testing::InProcessRegister shared;
        static const bool connected =
            (zirok::testing::connectInProcess(context().link, shared), true);
        (void)connected;
        // A new register in the same place: the link's transport still
        // reaches it, and nothing of the last test's register is left.
        std::destroy_at(&shared);
        std::construct_at(&shared);
        reg = &shared;
        bytesAtStart_ = reg->bytesSent;
        zirok = std::make_unique<Probe>();
    }

    emulator::RegisterState& state() { return reg->model.state(); }

    // Replaces what the register answers to `code`: a request without a
    // script fails with error 3, as a register refuses a wrong parameter.
    void script(const std::vector<Scripted>& answers) {
        for (const Scripted& s : answers) scripts_[s.code][s.request] = {s.fields, s.error};
        for (const auto& [code, byRequest] : scripts_) {
            reg->model.define(
                code, emulator::CommandKind::Query,
                [this, code = code](emulator::RegisterState&, const emulator::Request& request) {
                    std::string joined;
                    for (const auto& field : request.fields)
                        joined += (joined.empty() ? "" : ";") + field;
                    requests.push_back(emulator::hexByte(code) + ":" + joined);
                    const auto& byRequest = scripts_[code];
                    const auto found = byRequest.find(joined);
                    if (found == byRequest.end()) return emulator::failure(3);
                    if (found->second.second != 0) return emulator::failure(found->second.second);
                    return emulator::answer(found->second.first);
                });
        }
    }

    // Bytes the link wrote since the test began: 0 means no register traffic.
    std::size_t traffic() const { return reg->bytesSent - bytesAtStart_; }
    void markTraffic() { bytesAtStart_ = reg->bytesSent; }

    std::int32_t number(std::int32_t index) { return zirok->props().number(index); }
    const std::u16string& text(std::int32_t index) { return zirok->props().string(index); }

    zirok::testing::InProcessRegister* reg = nullptr;
    std::unique_ptr<Probe> zirok;
    // Scripted requests as they arrived: "01:3", "11:2;0".
    std::vector<std::string> requests;

  private:
    std::map<std::uint8_t, std::map<std::string, std::pair<std::vector<std::string>, std::uint8_t>>>
        scripts_;
    std::size_t bytesAtStart_ = 0;
};

}  // namespace zirok::so::testing
