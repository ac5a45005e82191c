#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/frame_codec.hpp"
#include "emulator/register_state.hpp"

namespace zirok::emulator {

// What a command handler decides: an error code, and the answer fields on success.
struct Reply {
    std::uint8_t error = 0;
    std::vector<std::string> fields;
};

inline Reply failure(std::uint8_t error) {
    return Reply{error, {}};
}

using Handler = std::function<Reply(RegisterState&, const Request&)>;

enum class CommandKind {
    // Always answered; reports an error kept from unanswered print commands.
    Plain,
    // Inside a package document: executed without an answer, its error kept.
    Print,
    // Always answered with its own result; leaves a kept error for the next
    // Plain command. The host reads these between print commands (the status
    // poll, the drawer poll that paces package mode) and does not always look
    // at their result, so a kept error reported there would be lost.
    Query,
};

// The register behind its serial line: one request frame in, at most one answer out.
class RegisterModel {
  public:
    explicit RegisterModel(std::string password = "MNVK");

    void define(std::uint8_t code, CommandKind kind, Handler handler);

    // Consulted for every authenticated request before its handler runs: a
    // non-zero result fails the command with that code instead.
    void setErrorInjector(std::function<std::uint8_t(std::uint8_t code)> injector);

    // nullopt when the register sends nothing: the frame was not a request at
    // all, or a print command inside a package document.
    std::optional<Answer> handle(std::string_view frame);

    RegisterState& state() { return state_; }
    const RegisterState& state() const { return state_; }

  private:
    struct Command {
        CommandKind kind;
        Handler handler;
    };

    Reply run(const Request& request, CommandKind kind);

    std::string password_;
    RegisterState state_;
    std::map<std::uint8_t, Command> commands_;
    std::function<std::uint8_t(std::uint8_t)> injector_;
};

}  // namespace zirok::emulator
