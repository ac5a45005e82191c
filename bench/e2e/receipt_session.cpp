#include "bench/e2e/receipt_session.hpp"

#include "platform/registry.hpp"
#include "service-object/posix/service_object.hpp"

namespace zirok::bench {

namespace {

constexpr std::int32_t kFiscalReceiptTypeIndex = 16034;
constexpr std::int32_t kDeviceEnabledIndex = 3;

platform::Variant money(std::int64_t units) {
    return platform::Variant(platform::Currency{units});
}

std::string failed(const char* method, std::int32_t result) {
    return result == 0 ? std::string()
                       : std::string(method) + " answered " + std::to_string(result);
}

}  // namespace

void writeDeviceKey(bool packageMode) {
    auto key = platform::registry().createKey(
        platform::RegistryHive::LocalMachine,
        std::string_view("SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok"));
    key->writeString(std::string_view(""), std::string_view("Zirok.SOZirok"));
    key->writeString(std::string_view("Port"), std::string_view("COM7"));
    key->writeString(std::string_view("Autosearch"), std::string_view("0"));
    key->writeString(std::string_view("Password"), std::string_view("MNVK"));
    key->writeString(std::string_view("BaudRate"), std::string_view("57600"));
    key->writeInteger(std::string_view("Debug"), 0);
    key->writeInteger(std::string_view("PackageMode"), packageMode ? 1 : 0);
}

FiscalPrinter::FiscalPrinter()
    : object_(so::posix::ServiceObject::create()), fiscal_(object_->queryInterface("ISOZirok")) {}

FiscalPrinter::~FiscalPrinter() = default;

std::int32_t FiscalPrinter::call(std::u16string_view method, std::vector<platform::Variant> args) {
    const auto id = fiscal_->getIdsOfNames(method);
    if (!id) return -1;
    const platform::Variant result = fiscal_->invoke(*id, platform::kInvokeMethod, args);
    return result.type() == platform::VarType::Empty
               ? 0
               : platform::coerce(result, platform::VarType::I4).asInt();
}

std::string FiscalPrinter::start() {
    if (call(u"OpenService", {u"FiscalPrinter", u"Zirok", std::shared_ptr<platform::Dispatch>()}) !=
        0)
        return "OpenService failed";
    if (call(u"ClaimDevice", {std::int32_t{3000}}) != 0) return "ClaimDevice failed";
    call(u"SetPropertyNumber", {kDeviceEnabledIndex, std::int32_t{1}});
    call(u"SetPropertyNumber", {kFiscalReceiptTypeIndex, std::int32_t{4}});
    return {};
}

void FiscalPrinter::stop() {
    call(u"ReleaseDevice", {});
    call(u"CloseService", {});
}

std::string sellReceipt(FiscalPrinter& fp, int items) {
    if (auto e = failed("BeginFiscalReceipt", fp.call(u"BeginFiscalReceipt", {true})); !e.empty())
        return e;
    std::int64_t total = 0;
    for (int i = 0; i < items; ++i) {
        const std::int64_t price = 100000 + 100 * i;  // 10.00, 10.01, ...
        total += price;
        const std::u16string name =
            u"Товар " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        const std::int32_t r = fp.call(u"PrintRecItem", {name, money(price), std::int32_t{1000},
                                                         std::int32_t{0}, money(price), u""});
        if (auto e = failed("PrintRecItem", r); !e.empty()) return e;
    }
    if (auto e =
            failed("PrintRecTotal", fp.call(u"PrintRecTotal", {money(total), money(total), u"1"}));
        !e.empty())
        return e;
    return failed("EndFiscalReceipt", fp.call(u"EndFiscalReceipt", {false}));
}

}  // namespace zirok::bench
