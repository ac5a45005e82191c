// A dispatch object made from the fiscal interface's table: the table
// rejects malformed calls before the handler sees them, and out parameters
// reach the caller's variants.
#include "interfaces/table_dispatch.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "tests/interfaces/variant_printer.hpp"

namespace zirok::interfaces {
namespace {

using platform::AutomationError;
using platform::Currency;
using platform::HResult;
using platform::kInvokeMethod;
using platform::Variant;
namespace hresult = platform::hresult;

constexpr DispId kDirectIO = 15;
constexpr DispId kOpenService = 31;
constexpr DispId kPrintRecItem = 39;
constexpr DispId kSetPropertyNumber = 75;

// Records each call the handler receives and answers with a scripted action.
class FiscalDispatch : public testing::Test {
  protected:
    std::function<Variant(const MethodDesc&, std::vector<Variant>&)> action =
        [](const MethodDesc&, std::vector<Variant>&) { return Variant(0); };
    std::vector<std::string> calls;
    std::vector<std::vector<Variant>> received;
    TableDispatch dispatch{svcFiscalInterface(),
                           [this](const MethodDesc& m, std::vector<Variant>& args) {
                               calls.emplace_back(m.name);
                               // What each argument holds as the handler starts.
                               std::vector<Variant> values;
                               for (const Variant& a : args) values.push_back(a.value());
                               received.push_back(values);
                               return action(m, args);
                           }};

    HResult failure(DispId id, std::vector<Variant> args, unsigned kind = kInvokeMethod,
                    int* argument = nullptr) {
        try {
            dispatch.invoke(id, kind, args);
        } catch (const AutomationError& e) {
            if (argument) *argument = e.argument();
            return e.code();
        }
        return hresult::kOk;
    }
};

TEST_F(FiscalDispatch, NamesFindDispatchIdsWhateverTheirCase) {
    const struct {
        std::u16string name;
        std::optional<DispId> id;
    } cases[] = {
        {u"PrintRecMessage", 19},
        {u"printrecmessage", 19},
        {u"PRINTRECITEM", kPrintRecItem},
        {u"directIO", kDirectIO},
        {u"PrintRecMessag", {}},
        {u"PrintRecMessages", {}},
        {u"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dispatch.getIdsOfNames(c.name), c.id) << testing::PrintToString(c.name);
    }
}

TEST_F(FiscalDispatch, MalformedCallsFailBeforeTheHandler) {
    Variant data(u"5");
    Variant text(std::shared_ptr<platform::Dispatch>{});
    const struct {
        const char* what;
        DispId id;
        unsigned kind;
        std::vector<Variant> args;
        HResult code;
        int argument;
    } cases[] = {
        {"unknown id", 79, kInvokeMethod, {}, hresult::kMemberNotFound, -1},
        {"id zero", 0, kInvokeMethod, {}, hresult::kMemberNotFound, -1},
        {"property put of a method",
         19,
         platform::kInvokePropertyPut,
         {Variant(u"x")},
         hresult::kMemberNotFound,
         -1},
        {"too few",
         kDirectIO,
         kInvokeMethod,
         {Variant(1), Variant::byRef(data)},
         hresult::kBadParamCount,
         -1},
        {"result passed as an argument",
         19,
         kInvokeMethod,
         {Variant(u"x"), Variant(0)},
         hresult::kBadParamCount,
         -1},
        {"quantity not a number",
         kPrintRecItem,
         kInvokeMethod,
         {Variant(u"Milk"), Variant(Currency{10000}), Variant(u"one"), Variant(1),
          Variant(Currency{10000}), Variant(u"")},
         hresult::kTypeMismatch,
         2},
        {"out parameter by value",
         kDirectIO,
         kInvokeMethod,
         {Variant(160), Variant(5), Variant::byRef(data)},
         hresult::kTypeMismatch,
         1},
        {"out parameter holds a dispatch",
         kDirectIO,
         kInvokeMethod,
         {Variant(160), Variant::byRef(data), Variant::byRef(text)},
         hresult::kTypeMismatch,
         2},
        {"no control object",
         kOpenService,
         kInvokeMethod,
         {Variant(u"FiscalPrinter"), Variant(u"Zirok"), Variant()},
         hresult::kTypeMismatch,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int argument = -2;
        EXPECT_EQ(failure(c.id, c.args, c.kind, &argument), c.code);
        EXPECT_EQ(argument, c.argument);
    }
    EXPECT_TRUE(calls.empty());
    // The refused call converted none of the caller's out variants.
    EXPECT_EQ(data, Variant(u"5"));
}

TEST_F(FiscalDispatch, OutParametersReachTheCaller) {
    action = [](const MethodDesc&, std::vector<Variant>& args) {
        args[1].store(Variant(42));
        args[2].store(Variant(u"answer"));
        return Variant(0);
    };
    Variant data(u"7");  // callers pass out values initialised, here as text
    Variant text;
    std::vector<Variant> args{Variant(u"160"), Variant::byRef(data), Variant::byRef(text)};

    const Variant result =
        dispatch.invoke(kDirectIO, kInvokeMethod | platform::kInvokePropertyGet, args);

    EXPECT_EQ(result, Variant(0));
    EXPECT_EQ(calls, std::vector<std::string>{"DirectIO"});
    // The handler saw every argument as declared: values converted, the
    // out variants already typed.
    EXPECT_EQ(received[0][0], Variant(160));
    EXPECT_EQ(received[0][1], Variant(7));
    EXPECT_EQ(received[0][2], Variant(u""));
    EXPECT_EQ(data, Variant(42));
    EXPECT_EQ(text, Variant(u"answer"));
    EXPECT_EQ(args[0], Variant(u"160")) << "an in argument belongs to the caller";
}

TEST_F(FiscalDispatch, ResultsAndOutValuesLeaveWithTheirDeclaredTypes) {
    action = [](const MethodDesc&, std::vector<Variant>& args) {
        args[1].target() = Variant(Currency{30000});
        args[2].target() = Variant(true);
        return Variant(u"106");
    };
    Variant data(0);
    Variant text(u"");
    std::vector<Variant> args{Variant(1), Variant::byRef(data), Variant::byRef(text)};
    EXPECT_EQ(dispatch.invoke(kDirectIO, kInvokeMethod, args), Variant(106));
    EXPECT_EQ(data, Variant(3));
    EXPECT_EQ(text, Variant(u"-1"));

    // A member without a result returns nothing, whatever the handler says.
    action = [](const MethodDesc&, std::vector<Variant>&) { return Variant(5); };
    std::vector<Variant> set{Variant(16020), Variant(u"2")};
    EXPECT_EQ(dispatch.invoke(kSetPropertyNumber, kInvokeMethod, set), Variant());
    EXPECT_EQ(received.back()[1], Variant(2));
}

TEST_F(FiscalDispatch, HandlerFailuresBecomeFailedCalls) {
    const struct {
        const char* what;
        std::function<Variant(const MethodDesc&, std::vector<Variant>&)> action;
        HResult code;
        std::string message;
    } cases[] = {
        // A forgotten result must not reach the caller as 0, OPOS success.
        {"no result", [](const MethodDesc&, std::vector<Variant>&) { return Variant(); },
         hresult::kUnexpected, "ISvcFiscal.PrintXReport returned no result"},
        {"C++ exception",
         [](const MethodDesc&, std::vector<Variant>&) -> Variant {
             throw std::runtime_error("registry value has the wrong type");
         },
         hresult::kException, "registry value has the wrong type"},
        {"automation error",
         [](const MethodDesc&, std::vector<Variant>&) -> Variant {
             throw AutomationError(hresult::kFail, "as thrown");
         },
         hresult::kFail, "as thrown"},
        {"anything else", [](const MethodDesc&, std::vector<Variant>&) -> Variant { throw 42; },
         hresult::kException, "ISvcFiscal.PrintXReport failed with an unknown error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        action = c.action;
        std::vector<Variant> none;
        try {
            dispatch.invoke(56, kInvokeMethod, none);
            ADD_FAILURE() << "succeeded";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.code(), c.code);
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
}  // namespace zirok::interfaces
