#include "emulator/register_model.hpp"

#include <utility>

#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"

namespace zirok::emulator {

RegisterModel::RegisterModel(std::string password, std::function<Moment()> hostClock)
    : password_(std::move(password)) {
    state_.hostClock = std::move(hostClock);
    registerAtFactory(state_);
}

void RegisterModel::define(std::uint8_t code, CommandKind kind, Handler handler, Access access) {
    commands_[code] = Command{kind, std::move(handler), access};
}

void RegisterModel::setErrorInjector(std::function<std::uint8_t(std::uint8_t)> injector) {
    injector_ = std::move(injector);
}

Reply RegisterModel::run(const Request& request, CommandKind kind) {
    if (!request.checksumOk) return failure(device_error::kChecksum);
    if (request.password != password_) return failure(device_error::kWrongPassword);
    if (injector_) {
        if (const std::uint8_t injected = injector_(request.code)) return failure(injected);
    }
    const auto found = commands_.find(request.code);
    if (found == commands_.end()) return failure(device_error::kUnknownCommand);
    if (kind == CommandKind::Plain && state_.keptError != 0) {
        // The document already went wrong; this command must not act on it.
        return failure(std::exchange(state_.keptError, 0));
    }
    if (found->second.access == Access::Changes) changed_ = true;
    return found->second.handler(state_, request);
}

std::optional<Answer> RegisterModel::handle(std::string_view frame) {
    const std::optional<Request> request = parseRequest(frame);
    if (!request) return std::nullopt;
    // A new request means the host is no longer sending an old command's block.
    pendingBlock_.reset();

    const auto found = commands_.find(request->code);
    const CommandKind kind = found == commands_.end() ? CommandKind::Plain : found->second.kind;
    Reply reply = run(*request, kind);

    if (kind == CommandKind::Print && state_.packageDocument()) {
        if (state_.keptError == 0) state_.keptError = reply.error;
        return std::nullopt;
    }
    if (reply.error == 0 && reply.blockBytes > 0) {
        pendingBlock_ =
            PendingBlock{request->id, request->code, reply.blockBytes, std::move(reply.onBlock)};
        return std::nullopt;
    }
    Answer answer{request->id, request->code, reply.error, {}};
    if (reply.error == 0) answer.fields = std::move(reply.fields);
    return answer;
}

std::optional<Answer> RegisterModel::completeBlock(std::string_view block) {
    if (!pendingBlock_) return std::nullopt;
    PendingBlock pending = std::move(*pendingBlock_);
    pendingBlock_.reset();
    changed_ = true;
    Reply reply = pending.then(state_, block);
    Answer answer{pending.id, pending.code, reply.error, {}};
    if (reply.error == 0) answer.fields = std::move(reply.fields);
    return answer;
}

}  // namespace zirok::emulator
