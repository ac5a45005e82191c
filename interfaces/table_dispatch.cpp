#include "interfaces/table_dispatch.hpp"

#include <exception>
#include <string>

namespace zirok::interfaces {

using platform::AutomationError;
using platform::Variant;
namespace hresult = platform::hresult;

namespace {

std::string memberName(const InterfaceDesc& itf, const MethodDesc& m) {
    return std::string(itf.name) + "." + std::string(m.name);
}

}  // namespace

TableDispatch::TableDispatch(const InterfaceDesc& description, Handler handler)
    : description_(description), handler_(std::move(handler)) {}

std::optional<DispId> TableDispatch::getIdsOfNames(std::u16string_view name) const {
    if (const MethodDesc* m = findMethod(description_, name)) return m->dispid;
    return std::nullopt;
}

Variant TableDispatch::invoke(DispId id, unsigned kind, std::vector<Variant>& args) {
    const MethodDesc* m = findMethod(description_, id);
    if (!m) {
        throw AutomationError(hresult::kMemberNotFound, std::string(description_.name) +
                                                            " has no member with dispatch id " +
                                                            std::to_string(id));
    }
    if (!(kind & platform::kInvokeMethod)) {
        throw AutomationError(hresult::kMemberNotFound,
                              memberName(description_, *m) + " is a method, not a property");
    }
    const auto params = m->params();
    if (args.size() != params.size()) {
        throw AutomationError(hresult::kBadParamCount, memberName(description_, *m) + " takes " +
                                                           std::to_string(params.size()) +
                                                           " arguments, not " +
                                                           std::to_string(args.size()));
    }

    std::vector<Variant> call(args.size());
    std::vector<Variant> outValues(args.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int position = static_cast<int>(i);
        const auto type = varType(params[i].kind);
        try {
            if (params[i].byRef) {
                if (!args[i].isByRef()) {
                    throw AutomationError(hresult::kTypeMismatch, "passed by value");
                }
                outValues[i] = platform::coerce(args[i], type);
                call[i] = args[i];
            } else {
                call[i] = platform::coerce(args[i], type);
            }
        } catch (const AutomationError& e) {
            throw AutomationError(e.code(),
                                  memberName(description_, *m) + ", argument " +
                                      std::string(params[i].name) + ": " + e.what(),
                                  position);
        }
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].byRef) args[i].target() = outValues[i];
    }

    Variant result;
    try {
        result = handler_(*m, call);
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& e) {
        throw AutomationError(hresult::kException, e.what());
    } catch (...) {
        throw AutomationError(hresult::kException,
                              memberName(description_, *m) + " failed with an unknown error");
    }

    // A handler may have put any type into an out variant; the caller gets
    // the declared one.
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].byRef) {
            Variant& target = args[i].target();
            target = platform::coerce(target, varType(params[i].kind));
        }
    }
    if (!m->hasResult()) return {};
    if (result.value().type() == platform::VarType::Empty) {
        throw AutomationError(hresult::kUnexpected,
                              memberName(description_, *m) + " returned no result");
    }
    return platform::coerce(result, varType(m->result.kind));
}

}  // namespace zirok::interfaces
