// The written form of calls: what each kind of argument becomes, and the
// lines refused before anything runs.
#include "tools/zirokctl/call_syntax.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/interfaces/variant_printer.hpp"

namespace zirok::ctl {
namespace {

using platform::Currency;
using platform::Variant;

TEST(CallSyntax, ArgumentsBecomeTheirVariants) {
    const struct {
        const char* line;
        const char* method;
        std::vector<Variant> args;
    } cases[] = {
        {"ClaimDevice 1000", "ClaimDevice", {Variant(1000)}},
        {"  SetPropertyNumber\t3  -1 ", "SetPropertyNumber", {Variant(3), Variant(-1)}},
        {"EndFiscalReceipt false", "EndFiscalReceipt", {Variant(false)}},
        {"COFreezeEvents true", "COFreezeEvents", {Variant(true)}},
        // Amounts are exact: four decimals at most, no binary fraction in between.
        {"PrintRecCash 12.5", "PrintRecCash", {Variant(Currency{125000})}},
        {"PrintRecCash 0.0001", "PrintRecCash", {Variant(Currency{1})}},
        {"PrintRecCash -19.99", "PrintRecCash", {Variant(Currency{-199900})}},
        {"PrintRecCash 3000000000", "PrintRecCash", {Variant(Currency{30000000000000})}},
        {"PrintRecCash 922337203685477.5807",
         "PrintRecCash",
         {Variant(Currency{9223372036854775807})}},
        {R"(PrintNormal 2 "Молоко 1 л")", "PrintNormal", {Variant(2), Variant(u"Молоко 1 л")}},
        {R"(PrintNormal 2 "a\"b\\c\n\r\td")",
         "PrintNormal",
         {Variant(2), Variant(u"a\"b\\c\n\r\td")}},
        // A raw byte is read through the ANSI code page: 0xC0 is А in Windows-1251.
        {R"(PrintNormal 2 "\xC0\xe0x")", "PrintNormal", {Variant(2), Variant(u"Ааx")}},
        {R"(OpenService "FiscalPrinter" "" # the sink is added by the host)",
         "OpenService",
         {Variant(u"FiscalPrinter"), Variant(u"")}},
        {"GetDate", "GetDate", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto call = parseCall(c.line);
        ASSERT_TRUE(call);
        EXPECT_EQ(call->method, c.method);
        EXPECT_EQ(call->args, c.args);
    }
    EXPECT_FALSE(parseCall("   # nothing but a comment"));
    EXPECT_FALSE(parseCall(""));
}

TEST(CallSyntax, MalformedLinesAreRefused) {
    const char* cases[] = {
        "\"OpenService\"",  // the method is a name
        "1000 ClaimDevice",
        "ClaimDevice one",       // strings need quotes
        "PrintRecCash 1.23456",  // five decimals
        "PrintRecCash 1.",        "PrintRecCash .5",      "PrintRecCash 99999999999999999999",
        "PrintNormal 2 \"open",   "PrintNormal 2 \"a\"b", R"(PrintNormal 2 "\q")",
        R"(PrintNormal 2 "\x4")",
        "PrintNormal 2 \"\xC0\"",  // a string is UTF-8
    };
    for (const char* line : cases) {
        EXPECT_THROW(parseCall(line), std::invalid_argument) << line;
    }
}

TEST(CallSyntax, ScriptsSkipCommentsAndNameTheBadLine) {
    const auto calls =
        parseScript("# claim and enable\n\nClaimDevice 1000\r\n  SetPropertyNumber 3 1\n");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].method, "SetPropertyNumber");
    try {
        parseScript("ClaimDevice 1\n\nClaimDevice x\n");
        FAIL() << "accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "line 3: not a number: x");
    }
}

}  // namespace
}  // namespace zirok::ctl
