// Non-fiscal documents: the state they move through, the text and barcode
// escapes of PrintNormal, and the cash amount of cash-in and cash-out.
#include <gtest/gtest.h>

#include "tests/service-object/reports_fixture.hpp"

namespace zirok::so::testing {
namespace {

using NonFiscal = ReportsTest;
using emulator::DocumentType;

constexpr std::int32_t kReceiptStation = 2;

TEST_F(NonFiscal, DocumentPrintsAndClosesWithStatusUpdates) {
    auto control = listen();
    so->cashierName_ = device(u"Кассир");
    EXPECT_EQ(so->BeginNonFiscal(), 0);
    ASSERT_TRUE(state().document);
    EXPECT_EQ(state().document->type, DocumentType::Service);
    EXPECT_EQ(state().document->cashier, device(u"Кассир"));
    EXPECT_EQ(so->printerState(), fptr::PS_NONFISCAL);

    EXPECT_EQ(so->PrintNormal(kReceiptStation, u"Спасибо за покупку"), 0);
    EXPECT_TRUE(printed("Спасибо за покупку"));
    EXPECT_EQ(prop(pidx::FptrFiscalReceiptStation), kReceiptStation);

    EXPECT_EQ(so->EndNonFiscal(), 0);
    EXPECT_FALSE(state().document);
    EXPECT_EQ(so->printerState(), fptr::PS_MONITOR);

    std::vector<std::int32_t> updates;
    for (const auto& call : control->calls)
        if (call.id == 5) updates.push_back(call.args.at(0));
    EXPECT_EQ(updates, (std::vector<std::int32_t>{fptr::PS_NONFISCAL, fptr::PS_MONITOR}));
}

TEST_F(NonFiscal, WrongStatesFailWithoutWordsOrPrinting) {
    struct Case {
        const char* name;
        std::int32_t printerState;
        std::int32_t receiptType;
        std::function<std::int32_t(TSOZirok&)> call;
    };
    const Case cases[] = {
        {"begin during a receipt", fptr::PS_FISCAL_RECEIPT, 4,
         [](TSOZirok& z) { return z.BeginNonFiscal(); }},
        {"print outside a document", fptr::PS_MONITOR, 4,
         [](TSOZirok& z) { return z.PrintNormal(2, u"текст"); }},
        {"print during a receipt", fptr::PS_FISCAL_RECEIPT, 4,
         [](TSOZirok& z) { return z.PrintNormal(2, u"\x1b|0pT4600000000000"); }},
        {"end outside a document", fptr::PS_MONITOR, 4,
         [](TSOZirok& z) { return z.EndNonFiscal(); }},
        {"cash on a sales receipt", fptr::PS_FISCAL_RECEIPT, 4,
         [](TSOZirok& z) { return z.PrintRecCash(1000000); }},
        {"cash on a generic receipt", fptr::PS_MONITOR, 3,
         [](TSOZirok& z) { return z.PrintRecCash(1000000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The register holds a sale, so its status keeps the receipt state.
        openOnRegister(DocumentType::Sale);
        state().printed.clear();
        so->setPrinterState(c.printerState);
        so->props().setNumber(pidx::FptrFiscalReceiptType, c.receiptType);
        EXPECT_EQ(c.call(*so), 114);
        EXPECT_EQ(prop(pidx::ResultCode), 114);
        EXPECT_EQ(prop(pidx::ResultCodeExtended), 207);
        EXPECT_EQ(propText(pidx::FptrErrorString), u"");
        EXPECT_EQ(propText(pidx::CheckHealthText), u"");
        EXPECT_TRUE(state().printed.empty());
        EXPECT_EQ(state().document->type, DocumentType::Sale);
        EXPECT_EQ(so->printerState(), c.printerState);
    }
}

// What each kind of PrintNormal text sends: text lines (0x40: text;
// attributes) and barcodes (0x41: position; width; height; register code; data).
TEST_F(NonFiscal, PrintNormalEscapes) {
    so->barcodeWidth_ = 3;
    so->barcodeHeight_ = 80;
    so->qrCodeSize_ = 7;
    const std::string ean = "4600000000000";
    struct Case {
        const char* name;
        std::string data;  // Windows-1251
        std::string request;
        std::int32_t result = 0;
        std::int32_t extended = 0;
        std::u16string words = {};
    };
    const std::u16string kSymbology = u"Данный тип штрих-кода не поддерживается";
    const Case cases[] = {
        {"plain text", "Hello", "40:Hello;0"},
        {"font 2", "\x1b|2fTBig", "40:Big;16"},
        {"font 3", "\x1b|3fTBig", "40:Big;32"},
        {"font 4", "\x1b|4fTBig", "40:Big;48"},
        {"font 5", "\x1b|5fTBig", "40:Big;1"},
        {"other font", "\x1b|9fTBig", "40:Big;0"},
        {"cut request prints nothing", "\x1b|1fC", ""},
        {"other escape sent whole", "\x1b|bC", "40:\x1b|bC;0"},
        {"slip feed", "\x1b|0pI", "", 114, 215, u"Указанная последовательность не поддерживается"},
        {"UPC-A with the settings", "\x1b|101pT" + ean, "41:1;3;80;0;" + ean},
        {"UPC-E", "\x1b|102pB" + ean, "41:2;3;80;1;" + ean},
        {"EAN-8", "\x1b|103pA" + ean, "41:3;3;80;3;" + ean},
        {"EAN-13", "\x1b|104pN" + ean, "41:0;3;80;2;" + ean},
        {"0 is EAN-13", "\x1b|0pT" + ean, "41:1;3;80;2;" + ean},
        {"ITF", "\x1b|106pT" + ean, "41:1;3;80;5;" + ean},
        {"Codabar", "\x1b|107pT" + ean, "41:1;3;80;6;" + ean},
        {"Code 39", "\x1b|108pT" + ean, "41:1;3;80;4;" + ean},
        {"Code 128", "\x1b|110pT" + ean, "41:1;3;80;9;" + ean},
        {"QR code", "\x1b|204pAhttps://x.ru", "41:3;7;0;8;https://x.ru"},
        {"first marker in order wins", "\x1b|104pBpT" + ean, "41:2;3;80;2;pT" + ean},
        {"unknown symbology", "\x1b|105pT" + ean, "", 114, 215, kSymbology},
        {"symbology not a number", "\x1b|abpT" + ean, "", 114, 215, kSymbology},
        {"no symbology", "\x1b|pT" + ean, "", 114, 215, kSymbology},
        {"marker too far is text", "\x1b|00000pT1", "40:\x1b|00000pT1;0"},
    };
    std::vector<Scripted> answers;
    for (const Case& c : cases)
        if (!c.request.empty())
            answers.push_back({c.request[0] == '4' && c.request[1] == '0' ? std::uint8_t{0x40}
                                                                          : std::uint8_t{0x41},
                               c.request.substr(3),
                               {}});
    script(answers);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        so->setPrinterState(fptr::PS_NONFISCAL);
        requests.clear();
        EXPECT_EQ(so->PrintNormal(kReceiptStation, platform::ansiToWide(c.data)), c.result);
        EXPECT_EQ(requests, c.request.empty() ? std::vector<std::string>{}
                                              : std::vector<std::string>{c.request});
        EXPECT_EQ(prop(pidx::ResultCode), c.result);
        EXPECT_EQ(prop(pidx::ResultCodeExtended), c.extended);
        EXPECT_EQ(propText(pidx::FptrErrorString), c.words);
    }
}

TEST_F(NonFiscal, BarcodeDataAndFontTextReachTheRegisterInItsCodePage) {
    script({{0x41, "1;2;50;9;" + device(u"Код"), {}}, {0x40, device(u"Итог") + ";48", {}}});
    so->setPrinterState(fptr::PS_NONFISCAL);
    EXPECT_EQ(so->PrintNormal(2, u"\x1b|110pTКод"), 0);
    EXPECT_EQ(so->PrintNormal(2, u"\x1b|4fTИтог"), 0);
    EXPECT_EQ(requests.size(), 2u);
}

// QR data goes to the register in its code page with conversion on, and as
// UTF-8 with conversion off: either way the Cyrillic survives.
TEST_F(NonFiscal, QrDataKeepsItsCyrillicWithConversionOnAndOff) {
    so->qrCodeSize_ = 7;
    const std::string utf8 = "\xD0\x9A\xD0\xBE\xD0\xB4";  // "Код"
    for (const bool conversion : {true, false}) {
        SCOPED_TRACE(conversion);
        context().link.setConversionSetting(conversion);
        context().link.setActiveConversion(conversion);
        const std::string data = conversion ? device(u"Код") : utf8;
        script({{0x41, "3;7;0;8;" + data, {}}});
        requests.clear();
        so->setPrinterState(fptr::PS_NONFISCAL);
        EXPECT_EQ(so->PrintNormal(2, u"\x1b|204pAКод"), 0);
        EXPECT_EQ(requests, std::vector<std::string>{"41:3;7;0;8;" + data});
    }
    context().link.setConversionSetting(true);
    context().link.setActiveConversion(true);
}

TEST_F(NonFiscal, FontTextRefusedByTheRegisterIsReported) {
    // Its refusal must not leave ResultCode reading success.
    so->setPrinterState(fptr::PS_NONFISCAL);
    openOnRegister(DocumentType::Service);
    EXPECT_EQ(so->PrintNormal(2, u"\x1b|4fTline"), 0);
    state().paperOut = true;
    EXPECT_EQ(so->PrintNormal(2, u"\x1b|4fTline"), 114);
    EXPECT_EQ(prop(pidx::ResultCode), 114);
    EXPECT_EQ(prop(pidx::ResultCodeExtended), 8);
}

TEST_F(NonFiscal, CashAmountGoesIntoTheCashDocument) {
    struct Case {
        std::int32_t receiptType;
        DocumentType document;
    };
    for (const Case& c : {Case{1, DocumentType::CashIn}, Case{2, DocumentType::CashOut}}) {
        SCOPED_TRACE(c.receiptType);
        state().cashInDrawer = 1000000;
        openOnRegister(c.document);
        so->props().setNumber(pidx::FptrFiscalReceiptType, c.receiptType);
        so->setPrinterState(fptr::PS_FISCAL_RECEIPT);
        EXPECT_EQ(so->PrintRecCash(1234500), 0);
        EXPECT_EQ(state().document->cashAmount, 12345);
        EXPECT_EQ(so->printerState(), fptr::PS_FISCAL_RECEIPT);
    }
    // Outside a cash document the register's refusal comes back mapped.
    state().document.reset();
    EXPECT_EQ(so->PrintRecCash(1234500), 114);
    EXPECT_NE(prop(pidx::ResultCodeExtended), 0);
}

}  // namespace
}  // namespace zirok::so::testing
