// The interface tables are a fixed contract: callers bind by slot and by
// dispatch id, so a transcription slip breaks them silently. These checks
// catch such slips.
#include "interfaces/interface_table.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "interfaces/idl_writer.hpp"

namespace zirok::interfaces {
namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool wellFormedGuid(std::string_view g) {
    if (g.size() != 38 || g.front() != '{' || g.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? g[i] != '-' : !std::isxdigit(static_cast<unsigned char>(g[i]))) return false;
    }
    return true;
}

struct Shape {
    const InterfaceDesc& itf;
    std::size_t count;
    // Dispatch id expected in each slot: the ids follow the slots except
    // where a member was placed out of line.
    DispId (*dispidOfSlot)(int slot);
};

TEST(InterfaceTable, SlotsAndDispatchIdsHaveTheirFixedShape) {
    const Shape shapes[] = {
        {svcFiscalInterface(), 78,
         [](int s) -> DispId {
             return s <= 18 ? s : s <= 75 ? s + 1 : s == 76 ? 19 : s;
         }},
        {cashDrawerInterface(), 15, [](int s) -> DispId { return s; }},
        {commonInterface(), 19,
         [](int s) -> DispId {
             return s <= 5 ? s : s <= 16 ? s + 1 : s == 17 ? 6 : s == 18 ? 18 : 29;
         }},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(std::string(shape.itf.name));
        ASSERT_EQ(shape.itf.methods.size(), shape.count);
        EXPECT_EQ(shape.itf.methods.front().vtableIndex(), 7);
        std::set<DispId> ids;
        std::set<std::string> names;
        for (std::size_t i = 0; i < shape.itf.methods.size(); ++i) {
            const MethodDesc& m = shape.itf.methods[i];
            SCOPED_TRACE(std::string(m.name));
            EXPECT_EQ(m.slot, static_cast<int>(i) + 1);
            EXPECT_EQ(m.dispid, shape.dispidOfSlot(m.slot));
            EXPECT_TRUE(ids.insert(m.dispid).second) << "dispatch id used twice";
            EXPECT_TRUE(names.insert(upper(m.name)).second) << "name differs only by case";
            EXPECT_EQ(findMethod(shape.itf, m.dispid), &m);
            EXPECT_EQ(findMethod(shape.itf, m.name), &m);
        }
    }
}

TEST(InterfaceTable, LibrariesAndClassesCarryTheirIdentities) {
    const TypeLibraryDesc& fiscal = svcFiscalLibrary();
    const TypeLibraryDesc& common = svcCommonLibrary();
    EXPECT_EQ(fiscal.name, "SvcFiscal");
    EXPECT_EQ(fiscal.helpString, "SvcFiscal Library");
    EXPECT_EQ(fiscal.guid, "{930B18A3-4119-4D8C-B9C7-9A231F341EE9}");
    EXPECT_EQ(common.name, "SvcCommon");
    EXPECT_EQ(common.helpString, "SvcCommon Library");
    EXPECT_EQ(common.guid, "{34E25F50-F9D3-465B-8E81-DA78747742E1}");
    for (const auto* lib : {&fiscal, &common}) {
        EXPECT_EQ(lib->versionMajor, 1);
        EXPECT_EQ(lib->versionMinor, 0);
    }

    EXPECT_EQ(findInterface(fiscal, "ISvcFiscal"), &svcFiscalInterface());
    EXPECT_EQ(findInterface(fiscal, "ISO_OPOSCashDrawer"), &cashDrawerInterface());
    EXPECT_EQ(findInterface(common, "ISO_Common"), &commonInterface());
    EXPECT_EQ(svcFiscalInterface().guid, "{8F82426B-F673-40A1-8617-AB3DE8AB73E4}");
    EXPECT_EQ(svcFiscalInterface().documentation, "Dispatch interface for SvcFiscal Object");
    EXPECT_EQ(cashDrawerInterface().guid, "{D5F8F442-FB2F-4D02-9641-6FE0DC108FED}");
    EXPECT_EQ(cashDrawerInterface().documentation, "");
    EXPECT_EQ(commonInterface().guid, "{1B91897C-E2E3-400C-8B03-51C7E0053131}");
    EXPECT_EQ(commonInterface().documentation, "Common Methods of Service Objects");

    const struct {
        const TypeLibraryDesc& lib;
        std::string_view lookup;  // as a caller might spell it
        std::string_view name, documentation, defaultInterface, progId;
        bool hasFactory;
    } classes[] = {
        {fiscal, "{95C4D100-65C0-4E4F-9C82-2D3C58C3BD20}", "SvcFiscal", "SvcFiscal Object",
         "ISvcFiscal", "SvcFiscal.SvcFiscal", true},
        {fiscal, "2f686734-e392-4bcf-8270-29a6d485fcde", "SO_OPOSCashDrawer",
         "SO_OPOSCashDrawer Object", "ISO_OPOSCashDrawer", "", false},
        {common, "{44beeb19-0dcb-4df9-b102-085f8422714b}", "SO_Common", "SO_CAT Object",
         "ISO_Common", "SvcCommon.SO_Common", true},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(std::string(c.name));
        const ClassDesc* cls = findClass(c.lib, c.lookup);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->name, c.name);
        EXPECT_EQ(cls->documentation, c.documentation);
        EXPECT_EQ(cls->defaultInterface->name, c.defaultInterface);
        EXPECT_EQ(cls->hasFactory, c.hasFactory);
        if (cls->hasFactory) {
            EXPECT_EQ(progId(c.lib, *cls), c.progId);
        }
    }
    EXPECT_EQ(findClass(common, "{95C4D100-65C0-4E4F-9C82-2D3C58C3BD20}"), nullptr);

    std::set<std::string> guids;
    for (const auto* lib : {&fiscal, &common}) {
        guids.insert(upper(lib->guid));
        for (const InterfaceDesc* itf : lib->interfaces) guids.insert(upper(itf->guid));
        for (const ClassDesc& cls : lib->classes) guids.insert(upper(cls.guid));
    }
    EXPECT_EQ(guids.size(), 8u) << "a GUID is repeated";
    for (const std::string& g : guids) EXPECT_TRUE(wellFormedGuid(g)) << g;
}

// The drawer interface and the fiscal interface name the same operations,
// and the service object serves each such pair with one implementation; it
// can only do that where the two members take the same arguments.
TEST(InterfaceTable, DrawerMembersMatchTheirFiscalNamesakesExceptTheTwoOfTheirOwn) {
    std::set<std::string_view> differing;
    for (const MethodDesc& d : cashDrawerInterface().methods) {
        const MethodDesc* f = findMethod(svcFiscalInterface(), d.name);
        ASSERT_NE(f, nullptr) << d.name << " has no namesake";
        EXPECT_EQ(f->name, d.name);
        bool same = d.params().size() == f->params().size() && d.result.kind == f->result.kind;
        for (std::size_t i = 0; same && i < d.params().size(); ++i) {
            same = d.params()[i].kind == f->params()[i].kind &&
                   d.params()[i].byRef == f->params()[i].byRef;
        }
        if (!same) differing.insert(d.name);
    }
    EXPECT_EQ(differing, (std::set<std::string_view>{"ClearInput", "DirectIO"}));
}

// Spot checks of single members, each as the declaration the type library
// holds; the slot is the member's place among the declarations.
TEST(InterfaceTable, MembersReadAsDeclared) {
    const struct {
        const InterfaceDesc& itf;
        int slot;
        std::string_view declaration;
    } cases[] = {
        {svcFiscalInterface(), 3,
         "[id(0x00000003)]\n    HRESULT BeginFixedOutput([in] long Station, [in] long "
         "DocumenType, [out, retval] long* Value);"},
        {svcFiscalInterface(), 15,
         "[id(0x0000000f)]\n    HRESULT DirectIO([in] long DirectIO, [out] long* pData, [out] "
         "BSTR* pString, [out, retval] long* Value);"},
        {svcFiscalInterface(), 27,
         "[id(0x0000001c)]\n    HRESULT GetPropertyString([in] long PropIndex, [out, retval] "
         "BSTR* Value);"},
        {svcFiscalInterface(), 30,
         "[id(0x0000001f)]\n    HRESULT OpenService([in] BSTR DeviceClass, [in] BSTR DeviceName, "
         "[in] IDispatch* pDispatch, [out, retval] long* Param4);"},
        {svcFiscalInterface(), 35,
         "[id(0x00000024)]\n    HRESULT PrintperiodicTotalsReport([in] BSTR Date1, [in] BSTR "
         "Date2, [out, retval] long* Value);"},
        {svcFiscalInterface(), 40,
         "[id(0x00000029)]\n    HRESULT PrintRecItemFuel([in] BSTR Description, [in] CURRENCY "
         "Price, [in] long Quantity, [in] long VatInfo, [in] CURRENCY UnitPrice, [in] BSTR "
         "UnitName, [in] CURRENCY SpecialTax, [in] BSTR SpecialTaxName, [out, retval] long* "
         "Value);"},
        {svcFiscalInterface(), 63,
         "[id(0x00000040)]\n    HRESULT SetHeaderLine([in] long LineNumber, [in] BSTR Text, [in] "
         "VARIANT_BOOL DoubleWidth, [out, retval] long* Value);"},
        {svcFiscalInterface(), 72, "[id(0x00000049)]\n    HRESULT ClearInput([out] long* pRC);"},
        {svcFiscalInterface(), 75,
         "[id(0x0000004c)]\n    HRESULT SetPropertyString([in] long PropIndex, [in] BSTR "
         "String_);"},
        {svcFiscalInterface(), 76,
         "[id(0x00000013)]\n    HRESULT PrintRecMessage([in] BSTR Message_, [out, retval] long* "
         "Value);"},
        {svcFiscalInterface(), 78,
         "[id(0x0000004e)]\n    HRESULT WaitForDrawerClose([in] long WaitForDrawerClose, [in] "
         "long beepFrequency, [in] long beepDuration, [in] long Param4, [out, retval] long* "
         "Value);"},
        {cashDrawerInterface(), 8,
         "[id(0x00000008)]\n    HRESULT DirectIO([in] long command, [out] long* Data, [out] long* "
         "obj, [out, retval] long* Value);"},
        {cashDrawerInterface(), 13,
         "[id(0x0000000d)]\n    HRESULT COFreezeEvents([in] VARIANT_BOOL COFreezeEvents, [out] "
         "long* pRC);"},
        {commonInterface(), 8,
         "[id(0x00000009)]\n    HRESULT checkHealth([in] long Level, [out, retval] long* "
         "checkHealth);"},
        {commonInterface(), 12,
         "[id(0x0000000d)]\n    HRESULT directIO([in] long command, [out] long* data, [out] BSTR* "
         "obj, [out, retval] long* Value);"},
        // Its fiscal namesake calls the text String_.
        {commonInterface(), 16,
         "[id(0x00000011)]\n    HRESULT SetPropertyString([in] long PropIndex, [in] BSTR "
         "pString);"},
        {commonInterface(), 17,
         "[id(0x00000006)]\n    HRESULT updateStatistics([in] BSTR StatisticsBuffer, [out, "
         "retval] long* Value);"},
        {commonInterface(), 18,
         "[id(0x00000012)]\n    HRESULT compareFirmwareVersion([in] BSTR firmwareFileName, [out] "
         "long* _Result, [out, retval] long* Value);"},
        {commonInterface(), 19,
         "[id(0x0000001d)]\n    HRESULT COFreezeEvents([in] VARIANT_BOOL Freeze, [out] long* "
         "pRC);"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.itf.name) + " slot " + std::to_string(c.slot));
        const TypeLibraryDesc& lib =
            &c.itf == &commonInterface() ? svcCommonLibrary() : svcFiscalLibrary();
        const std::string idl = writeIdl(lib);
        const auto at = idl.find(c.declaration);
        ASSERT_NE(at, std::string::npos);
        // Declarations appear in slot order, one per slot, inside their interface.
        const auto body = idl.find("interface " + std::string(c.itf.name) + " : IDispatch");
        ASSERT_LT(body, at);
        const std::string before = idl.substr(body, at - body);
        int slot = 1;
        for (auto p = before.find("HRESULT "); p != std::string::npos;
             p = before.find("HRESULT ", p + 1)) {
            ++slot;
        }
        EXPECT_EQ(slot, c.slot);
    }
}

TEST(InterfaceTable, IdlDeclaresTheLibraryAndItsClasses) {
    const std::string idl = writeIdl(svcFiscalLibrary());
    EXPECT_EQ(idl.rfind("[\n  uuid(930B18A3-4119-4D8C-B9C7-9A231F341EE9),\n  version(1.0),\n"
                        "  helpstring(\"SvcFiscal Library\")\n]\nlibrary SvcFiscal\n{\n"
                        "  importlib(\"stdole2.tlb\");\n",
                        0),
              0u);
    EXPECT_NE(idl.find("  [\n    uuid(8F82426B-F673-40A1-8617-AB3DE8AB73E4),\n"
                       "    helpstring(\"Dispatch interface for SvcFiscal Object\"),\n"
                       "    dual,\n    oleautomation\n  ]\n  interface ISvcFiscal : IDispatch\n"),
              std::string::npos);
    EXPECT_NE(idl.find("  [\n    uuid(2F686734-E392-4BCF-8270-29A6D485FCDE),\n"
                       "    helpstring(\"SO_OPOSCashDrawer Object\")\n  ]\n"
                       "  coclass SO_OPOSCashDrawer\n  {\n"
                       "    [default] interface ISO_OPOSCashDrawer;\n  };\n"),
              std::string::npos);
    EXPECT_NE(writeIdl(svcCommonLibrary())
                  .find("  coclass SO_Common\n  {\n    [default] interface ISO_Common;\n  };\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zirok::interfaces
