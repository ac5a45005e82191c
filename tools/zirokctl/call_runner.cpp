#include "tools/zirokctl/call_runner.hpp"

#include <algorithm>
#include <deque>
#include <stdexcept>

namespace zirok::ctl {

using platform::AutomationError;
using platform::Variant;

namespace {

constexpr std::int32_t kResultCode = 6;
constexpr std::int32_t kResultCodeExtended = 7;
constexpr std::int32_t kErrorString = 1016001;

std::u16string wide(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

Variant invokeByName(platform::Dispatch& object, std::string_view name,
                     std::vector<Variant>& args) {
    const auto id = object.getIdsOfNames(wide(name));
    if (!id) {
        throw AutomationError(platform::hresult::kUnknownName,
                              "the object has no member " + std::string(name));
    }
    return object.invoke(*id, platform::kInvokeMethod, args);
}

// A result property as a control object reads it after the call; null when
// the object refuses.
Variant readProperty(platform::Dispatch& object, std::string_view getter, std::int32_t index) {
    std::vector<Variant> args{Variant(index)};
    try {
        return invokeByName(object, getter, args);
    } catch (const AutomationError&) {
        return {};
    }
}

}  // namespace

const interfaces::MethodDesc& methodOf(const interfaces::InterfaceDesc& itf, const Call& call) {
    const interfaces::MethodDesc* m = interfaces::findMethod(itf, std::string_view(call.method));
    if (!m) throw std::invalid_argument(std::string(itf.name) + " has no method " + call.method);
    return *m;
}

CallOutcome runCall(platform::Dispatch& object, const interfaces::InterfaceDesc& itf,
                    const Call& call, const std::shared_ptr<platform::Dispatch>& eventSink) {
    const interfaces::MethodDesc& m = methodOf(itf, call);
    CallOutcome outcome;
    outcome.method = m.name;

    const auto params = m.params();
    std::deque<Variant> outs;  // stable addresses for the references
    std::vector<Variant> args;
    try {
        for (std::size_t i = 0; i < std::max(params.size(), call.args.size()); ++i) {
            const bool given = i < call.args.size();
            if (i >= params.size()) {
                args.push_back(call.args[i]);
            } else if (params[i].byRef) {
                const auto type = interfaces::varType(params[i].kind);
                outs.push_back(given ? platform::coerce(call.args[i], type)
                                     : interfaces::zeroValue(params[i].kind));
                args.push_back(Variant::byRef(outs.back()));
            } else if (given) {
                args.push_back(call.args[i]);
            } else if (params[i].kind == interfaces::ParamKind::Dispatch) {
                args.emplace_back(eventSink);
            } else {
                break;
            }
        }
        outcome.result = invokeByName(object, m.name, args);
    } catch (const AutomationError& e) {
        outcome.error = e.what();
        return outcome;
    }

    auto out = outs.begin();
    for (const interfaces::ParamDesc& p : params) {
        if (p.byRef && out != outs.end()) outcome.out.emplace_back(p.name, *out++);
    }
    outcome.resultCode = readProperty(object, "GetPropertyNumber", kResultCode);
    outcome.resultCodeExtended = readProperty(object, "GetPropertyNumber", kResultCodeExtended);
    outcome.errorString = readProperty(object, "GetPropertyString", kErrorString);
    return outcome;
}

}  // namespace zirok::ctl
