// The two type-library servers loaded at run time, as a host loads them:
// they carry exactly the tables, create their stub classes, refuse the class
// that has no factory, and the stubs answer every call without effect.
#include "interfaces/type_library_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "interfaces/idl_writer.hpp"
#include "platform/library.hpp"
#include "tests/interfaces/variant_printer.hpp"

namespace zirok::interfaces {
namespace {

using platform::AutomationError;
using platform::Currency;
using platform::kInvokeMethod;
using platform::Variant;
namespace hresult = platform::hresult;

constexpr const char* kSvcFiscalClass = "{95C4D100-65C0-4E4F-9C82-2D3C58C3BD20}";
constexpr const char* kCashDrawerClass = "{2F686734-E392-4BCF-8270-29A6D485FCDE}";
constexpr const char* kCommonClass = "{44BEEB19-0DCB-4DF9-B102-085F8422714B}";

struct Server {
    std::unique_ptr<platform::Library> library;
    ZirokInterfaceTablesFn tables = nullptr;
    ZirokCreateObjectFn create = nullptr;
};

// Loaded once and kept for the whole run: the stubs' code lives in them.
const Server& server(const std::string& baseName) {
    static std::map<std::string, Server> loaded;
    auto [it, inserted] = loaded.try_emplace(baseName);
    if (inserted) {
        static const int anchor = 0;
        const std::string path =
            platform::moduleFolder(&anchor) + platform::libraryFileName(baseName);
        std::string error;
        it->second.library = platform::Library::load(path, &error);
        if (!it->second.library) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        it->second.tables =
            it->second.library->function<ZirokInterfaceTablesFn>("ZirokInterfaceTables");
        it->second.create = it->second.library->function<ZirokCreateObjectFn>("ZirokCreateObject");
        if (!it->second.tables || !it->second.create) {
            std::fprintf(stderr, "%s exports no server functions\n", path.c_str());
            std::abort();
        }
    }
    return it->second;
}

std::shared_ptr<platform::Dispatch> create(const std::string& baseName, const char* classId) {
    std::shared_ptr<platform::Dispatch> object;
    EXPECT_EQ(server(baseName).create(classId, &object), hresult::kOk);
    if (!object) std::abort();
    return object;
}

Variant call(platform::Dispatch& object, std::u16string_view name, std::vector<Variant> args) {
    const auto id = object.getIdsOfNames(name);
    if (!id) throw std::runtime_error("unknown member");
    return object.invoke(*id, kInvokeMethod, args);
}

TEST(TypeLibraryServer, CarriesExactlyTheTables) {
    EXPECT_EQ(writeIdl(*server("svcfiscal").tables()), writeIdl(svcFiscalLibrary()));
    EXPECT_EQ(writeIdl(*server("svccommon").tables()), writeIdl(svcCommonLibrary()));
}

TEST(TypeLibraryServer, CreatesOnlyClassesWithAFactory) {
    const struct {
        const char* server;
        const char* classId;
        platform::HResult code;
    } cases[] = {
        {"svcfiscal", kSvcFiscalClass, hresult::kOk},
        {"svcfiscal", "95c4d100-65c0-4e4f-9c82-2d3c58c3bd20", hresult::kOk},
        {"svcfiscal", kCashDrawerClass, hresult::kClassNotRegistered},
        {"svcfiscal", kCommonClass, hresult::kClassNotRegistered},
        {"svccommon", kCommonClass, hresult::kOk},
        {"svccommon", kSvcFiscalClass, hresult::kClassNotRegistered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.server) + " " + c.classId);
        std::shared_ptr<platform::Dispatch> object;
        EXPECT_EQ(server(c.server).create(c.classId, &object), c.code);
        EXPECT_EQ(object != nullptr, c.code == hresult::kOk);
    }
}

TEST(TypeLibraryServer, FiscalStubAnswersWithoutEffect) {
    auto stub = create("svcfiscal", kSvcFiscalClass);

    // DirectIO leaves what the caller passed.
    Variant data(17);
    Variant text(u"as passed");
    EXPECT_EQ(call(*stub, u"DirectIO", {Variant(160), Variant::byRef(data), Variant::byRef(text)}),
              Variant(0));
    EXPECT_EQ(data, Variant(17));
    EXPECT_EQ(text, Variant(u"as passed"));

    // GetData clears its text output only.
    Variant optArgs(3);
    Variant got(u"stale");
    EXPECT_EQ(call(*stub, u"GetData", {Variant(1), Variant::byRef(optArgs), Variant::byRef(got)}),
              Variant(0));
    EXPECT_EQ(optArgs, Variant(3));
    EXPECT_EQ(got, Variant(u""));

    EXPECT_EQ(call(*stub, u"GetPropertyString", {Variant(1000001)}), Variant(u""));
    // Reached by name, dispatch id 19, though it sits in slot 76.
    EXPECT_EQ(stub->getIdsOfNames(u"PrintRecMessage"), 19);
    EXPECT_EQ(call(*stub, u"printRecMessage", {Variant(u"text")}), Variant(0));
    EXPECT_EQ(call(*stub, u"PrintRecItem",
                   {Variant(u"Milk"), Variant(Currency{129900}), Variant(1000), Variant(1),
                    Variant(Currency{129900}), Variant(u"pc")}),
              Variant(0));
    EXPECT_EQ(call(*stub, u"SetPropertyNumber", {Variant(3), Variant(1)}), Variant());

    // A malformed call fails inside the server and reaches the host as the
    // automation failure it is.
    try {
        call(*stub, u"DirectIO", {Variant(160)});
        ADD_FAILURE() << "succeeded";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.code(), hresult::kBadParamCount);
    }
}

TEST(TypeLibraryServer, CommonStubAnswersWithoutEffect) {
    auto stub = create("svccommon", kCommonClass);
    EXPECT_EQ(call(*stub, u"GetPropertyString", {Variant(1000001)}), Variant(u""));
    Variant buffer(u"kept");
    EXPECT_EQ(call(*stub, u"RetrieveStatistics", {Variant::byRef(buffer)}), Variant(0));
    EXPECT_EQ(buffer, Variant(u"kept"));
    EXPECT_EQ(stub->getIdsOfNames(u"UpdateStatistics"), 6);
    EXPECT_EQ(stub->getIdsOfNames(u"PrintRecMessage"), std::nullopt);
}

}  // namespace
}  // namespace zirok::interfaces
