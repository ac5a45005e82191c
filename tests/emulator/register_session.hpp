#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/commands/commands.hpp"
#include "emulator/cp866_text.hpp"
#include "emulator/frame_codec.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator::testing {

// 15.03.2024 09:30:00 on the host's wall clock.
inline constexpr Moment kTestStart = 1710495000;

// The whole register in-process, driven by request frames as the host
// builds them, on a clock the test moves.
class RegisterDriver {
  public:
    RegisterDriver() { defineAllCommands(model); }

    // The answer to one request; fields are sent each closed by FS.
    Answer send(std::uint8_t code, const std::vector<std::string>& fields = {}) {
        const auto answer = model.handle(encodeRequest("MNVK", nextId(), code, fields));
        EXPECT_TRUE(answer) << "no answer to " << hexByte(code);
        return answer.value_or(Answer{0, code, 0xFF, {}});
    }

    std::uint8_t error(std::uint8_t code, const std::vector<std::string>& fields = {}) {
        return send(code, fields).error;
    }

    // Sends what the register runs without answering (a package document).
    bool sendsNothing(std::uint8_t code, const std::vector<std::string>& fields = {}) {
        return !model.handle(encodeRequest("MNVK", nextId(), code, fields));
    }

    Status status() {
        const Answer a = send(0x00);
        return Status{static_cast<std::uint32_t>(std::stoul(a.fields.at(0))),
                      static_cast<std::uint32_t>(std::stoul(a.fields.at(1))),
                      static_cast<std::uint32_t>(std::stoul(a.fields.at(2)))};
    }

    // The working day started with the host's clock.
    void startDay() { ASSERT_EQ(error(0x10, {dateField(hostNow), timeField(hostNow)}), 0); }

    // Started day, a sale receipt open (package mode off).
    void openSale(const std::string& cashier = "Ivanova") {
        startDay();
        ASSERT_EQ(error(0x30, {"2", "1", cashier, "0", ""}), 0);
    }

    // AddPosition with the host's 14 fields: name, quantity, price, tax index,
    // adjustment sign and amount; the rest as the host sends them by default.
    std::uint8_t addItem(const std::string& name, const std::string& quantity,
                         const std::string& price, int tax = 0, int sign = 0,
                         const std::string& adjustment = "0") {
        return error(0x42, {name, " ", quantity, price, std::to_string(tax), "", "0",
                            std::to_string(sign), "", adjustment, "4", "1"});
    }

    std::string tape() const {
        std::string text;
        for (const std::string& line : model.state().printed) text += line + "\n";
        return text;
    }

    Moment hostNow = kTestStart;
    RegisterModel model{"MNVK", [this] { return hostNow; }};

  private:
    std::uint8_t nextId() { return id_ = id_ >= 0xF0 ? 0x20 : id_ + 1; }
    std::uint8_t id_ = 0x20;
};

class RegisterSession : public ::testing::Test, public RegisterDriver {};

}  // namespace zirok::emulator::testing
