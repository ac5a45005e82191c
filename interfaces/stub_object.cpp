#include "interfaces/stub_object.hpp"

#include "interfaces/table_dispatch.hpp"

namespace zirok::interfaces {

namespace {

bool clearsTextOutputs(const InterfaceDesc& itf, const MethodDesc& m) {
    if (itf.name != svcFiscalInterface().name) return false;
    return m.name == "GetData" || m.name == "GetDate" || m.name == "GetTotalizer";
}

}  // namespace

std::shared_ptr<platform::Dispatch> makeStubObject(const ClassDesc& cls) {
    const InterfaceDesc& itf = *cls.defaultInterface;
    return std::make_shared<TableDispatch>(
        itf, [&itf](const MethodDesc& m, std::vector<platform::Variant>& args) {
            if (clearsTextOutputs(itf, m)) {
                const auto params = m.params();
                for (std::size_t i = 0; i < params.size(); ++i) {
                    if (params[i].byRef && params[i].kind == ParamKind::BStr) {
                        args[i].store(std::u16string());
                    }
                }
            }
            return m.hasResult() ? zeroValue(m.result.kind) : platform::Variant();
        });
}

}  // namespace zirok::interfaces
