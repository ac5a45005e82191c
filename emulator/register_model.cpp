#include "emulator/register_model.hpp"

#include <utility>

#include "emulator/device_errors.hpp"

namespace zirok::emulator {

RegisterModel::RegisterModel(std::string password) : password_(std::move(password)) {}

void RegisterModel::define(std::uint8_t code, CommandKind kind, Handler handler) {
    commands_[code] = Command{kind, std::move(handler)};
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
    return found->second.handler(state_, request);
}

std::optional<Answer> RegisterModel::handle(std::string_view frame) {
    const std::optional<Request> request = parseRequest(frame);
    if (!request) return std::nullopt;

    const auto found = commands_.find(request->code);
    const CommandKind kind = found == commands_.end() ? CommandKind::Plain : found->second.kind;
    Reply reply = run(*request, kind);

    if (kind == CommandKind::Print && state_.packageDocument) {
        if (state_.keptError == 0) state_.keptError = reply.error;
        return std::nullopt;
    }
    Answer answer{request->id, request->code, reply.error, {}};
    if (reply.error == 0) answer.fields = std::move(reply.fields);
    return answer;
}

}  // namespace zirok::emulator
