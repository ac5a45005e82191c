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

struct Reply;
// Finishes a command once its data block has arrived.
using BlockHandler = std::function<Reply(RegisterState&, std::string_view block)>;

// What a command handler decides: an error code, and the answer fields on
// success. A command that takes a data block asks for `blockBytes` bytes
// instead of answering; the register acknowledges with ACK, collects them and
// answers once `onBlock` has run.
struct Reply {
    std::uint8_t error = 0;
    std::vector<std::string> fields;
    std::size_t blockBytes = 0;
    BlockHandler onBlock;
};

inline Reply failure(std::uint8_t error) {
    return Reply{error, {}, 0, {}};
}

inline Reply answer(std::vector<std::string> fields) {
    return Reply{0, std::move(fields), 0, {}};
}

inline Reply collectBlock(std::size_t bytes, BlockHandler then) {
    return Reply{0, {}, bytes, std::move(then)};
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

// Whether a command can change what the register keeps across power cycles.
enum class Access { Changes, ReadOnly };

// The byte the register sends when it is ready for a command's data block.
inline constexpr char kAck = 0x06;

// The register behind its serial line: one request frame in, at most one answer out.
class RegisterModel {
  public:
    // A register fresh from the factory (see registerAtFactory), on `hostClock`.
    explicit RegisterModel(std::string password = "MNVK",
                           std::function<Moment()> hostClock = hostWallClock);

    void define(std::uint8_t code, CommandKind kind, Handler handler,
                Access access = Access::Changes);

    // Consulted for every authenticated request before its handler runs: a
    // non-zero result fails the command with that code instead.
    void setErrorInjector(std::function<std::uint8_t(std::uint8_t code)> injector);

    // nullopt when the register sends nothing: the frame was not a request at
    // all, a print command inside a package document, or a command now
    // waiting for its data block (awaitingBlock() tells).
    std::optional<Answer> handle(std::string_view frame);

    // Bytes of data block the last command waits for; 0 when none.
    std::size_t awaitingBlock() const { return pendingBlock_ ? pendingBlock_->bytes : 0; }
    // The block has arrived: finish the command and answer it.
    std::optional<Answer> completeBlock(std::string_view block);
    // The host gave up sending the block.
    void abandonBlock() { pendingBlock_.reset(); }

    // True once after anything ran that may have changed the kept state.
    bool takeChanged() { return std::exchange(changed_, false); }
    void markChanged() { changed_ = true; }

    RegisterState& state() { return state_; }
    const RegisterState& state() const { return state_; }

  private:
    struct Command {
        CommandKind kind;
        Handler handler;
        Access access;
    };
    struct PendingBlock {
        std::uint8_t id;
        std::uint8_t code;
        std::size_t bytes;
        BlockHandler then;
    };

    Reply run(const Request& request, CommandKind kind);

    std::string password_;
    RegisterState state_;
    std::map<std::uint8_t, Command> commands_;
    std::function<std::uint8_t(std::uint8_t)> injector_;
    std::optional<PendingBlock> pendingBlock_;
    bool changed_ = false;
};

}  // namespace zirok::emulator
