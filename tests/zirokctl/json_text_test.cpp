// The lines zirokctl prints, byte for byte: tests and later tools read them.
#include "tools/zirokctl/json_text.hpp"

#include <gtest/gtest.h>

namespace zirok::ctl {
namespace {

using platform::Currency;
using platform::Variant;

TEST(JsonText, ValuesPrintAsJson) {
    Variant target(7);
    const struct {
        Variant value;
        const char* json;
    } cases[] = {
        {Variant(), "null"},
        {Variant(-114), "-114"},
        {Variant(true), "true"},
        {Variant(Currency{125000}), "12.5"},
        {Variant(Currency{-1}), "-0.0001"},
        {Variant(Currency{0}), "0"},
        {Variant(u"Конец бумаги"), "\"Конец бумаги\""},
        {Variant(u"q\"b\\s\r\n\t\x01"), R"("q\"b\\s\r\n\t\u0001")"},
        {Variant(std::u16string(1, char16_t{0xD800})), "\"\xEF\xBF\xBD\""},  // lone surrogate
        {Variant::byRef(target), "7"},
    };
    for (const auto& c : cases) EXPECT_EQ(jsonValue(c.value), c.json);
}

TEST(JsonText, CallAndEventLines) {
    CallOutcome ok;
    ok.method = "DirectIO";
    ok.result = Variant(114);
    ok.out = {{"pData", Variant(5)}, {"pString", Variant(u"ФН")}};
    ok.resultCode = Variant(114);
    ok.resultCodeExtended = Variant(9);
    ok.errorString = Variant(u"Принтер не готов");
    EXPECT_EQ(callLine(ok),
              R"({"call": "DirectIO", "result": 114, "out": {"pData": 5, "pString": "ФН"}, )"
              R"("ResultCode": 114, "ResultCodeExtended": 9, "ErrorString": "Принтер не готов"})");

    CallOutcome noResult;
    noResult.method = "SetPropertyNumber";
    noResult.resultCode = Variant(0);
    noResult.resultCodeExtended = Variant(0);
    noResult.errorString = Variant(u"");
    EXPECT_EQ(callLine(noResult),
              R"({"call": "SetPropertyNumber", "result": null, "out": {}, "ResultCode": 0, )"
              R"("ResultCodeExtended": 0, "ErrorString": ""})");

    CallOutcome failed;
    failed.method = "ClaimDevice";
    failed.error = "Invalid data type for 'Autosearch'";
    EXPECT_EQ(callLine(failed),
              R"({"call": "ClaimDevice", "error": "Invalid data type for 'Autosearch'"})");
    // A message that is not UTF-8 is the service object's own Windows-1251 text.
    failed.error = "\xCE\xF8\xE8\xE1\xEA\xE0";
    EXPECT_EQ(callLine(failed), R"({"call": "ClaimDevice", "error": "Ошибка"})");

    Variant response(0);
    EXPECT_EQ(
        eventLine("SOError", {Variant(114), Variant(9), Variant(2), Variant::byRef(response)}),
        R"({"event": "SOError", "args": [114, 9, 2, 0]})");
    EXPECT_EQ(eventLine("SOStatusUpdate", {Variant(1)}),
              R"({"event": "SOStatusUpdate", "args": [1]})");
}

}  // namespace
}  // namespace zirok::ctl
