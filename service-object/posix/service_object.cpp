#include "service-object/posix/service_object.hpp"
#include "platform/unicode_text.hpp"

#include <atomic>
#include <string>

#include "platform/ansi_text.hpp"
#include "registration/zirok_identity.hpp"

namespace zirok::so::posix {

using platform::AutomationError;
namespace hresult = platform::hresult;

namespace {

std::atomic<long> gLiveObjects{0};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view unbraced(std::string_view id) {
    if (id.size() >= 2 && id.front() == '{' && id.back() == '}') return id.substr(1, id.size() - 2);
    return id;
}

bool sameId(std::string_view a, std::string_view b) {
    a = unbraced(a);
    b = unbraced(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

bool names(std::string_view id, const interfaces::InterfaceDesc& itf) {
    return sameId(id, itf.name) || sameId(id, itf.guid);
}

constexpr std::string_view kIDispatch = "{00020400-0000-0000-C000-000000000046}";

const std::vector<MemberCall>& fiscalCalls() {
    static const std::vector<MemberCall> calls = bindInterface(registration::fiscalInterface(), {});
    return calls;
}

const std::vector<MemberCall>& drawerCalls() {
    static const std::vector<MemberCall> calls =
        bindInterface(registration::drawerInterface(), drawerOwnBindings());
    return calls;
}

}  // namespace

std::shared_ptr<ServiceObject> ServiceObject::create() {
    return std::shared_ptr<ServiceObject>(new ServiceObject());
}

ServiceObject::ServiceObject()
    : fiscal_(registration::fiscalInterface(),
              [this](const MethodDesc& m, std::vector<platform::Variant>& args) {
                  return call(fiscalCalls(), registration::fiscalInterface(), m, args);
              }),
      drawer_(registration::drawerInterface(),
              [this](const MethodDesc& m, std::vector<platform::Variant>& args) {
                  return call(drawerCalls(), registration::drawerInterface(), m, args);
              }) {
    ++gLiveObjects;
}

ServiceObject::~ServiceObject() {
    --gLiveObjects;
}

long ServiceObject::liveObjects() {
    return gLiveObjects.load();
}

std::shared_ptr<platform::Dispatch> ServiceObject::queryInterface(std::string_view interfaceId) {
    if (names(interfaceId, registration::fiscalInterface()) ||
        names(interfaceId, interfaces::svcFiscalInterface()) || sameId(interfaceId, kIDispatch) ||
        sameId(interfaceId, "IDispatch")) {
        return {shared_from_this(), &fiscal_};
    }
    if (names(interfaceId, registration::drawerInterface()) ||
        names(interfaceId, interfaces::cashDrawerInterface())) {
        return {shared_from_this(), &drawer_};
    }
    return nullptr;
}

// Failures leave as failed calls with a UTF-8 message. The service object's
// own texts are Windows-1251; every other exception (the registry's among
// them) already speaks UTF-8 and is passed on by the table dispatch.
platform::Variant ServiceObject::call(const std::vector<MemberCall>& calls,
                                      const interfaces::InterfaceDesc& itf, const MethodDesc& m,
                                      std::vector<platform::Variant>& args) {
    const auto index = static_cast<std::size_t>(&m - itf.methods.data());
    try {
        return calls.at(index)(so_, m, args);
    } catch (const CallFailure& e) {
        throw AutomationError(hresult::kException,
                              platform::wideToUtf8(platform::ansiToWide(e.what())));
    }
}

}  // namespace zirok::so::posix
