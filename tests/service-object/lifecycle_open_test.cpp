// Opening and closing the service: the device's registry settings, the trace
// file, and the events the control object may or may not hear.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lifecycle_fixture.hpp"
#include "platform/automation.hpp"
#include "platform/system.hpp"
#include "platform/ui_hooks.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok {
namespace {

using platform::Variant;
using so::context;
namespace pidx = so::pidx;

// The instance fields the tests look at.
struct OpenedZirok : so::TSOZirok {
    using TSOZirok::autoZ_;
    using TSOZirok::paymentTypeMap_;
};

struct RegValue {
    enum Kind { Absent, String, Integer, Binary } kind = Absent;
    std::string text;
    std::int32_t number = 0;
};
RegValue str(std::string text) {
    return {RegValue::String, std::move(text), 0};
}
RegValue num(std::int32_t n) {
    return {RegValue::Integer, {}, n};
}
const RegValue kBinary{RegValue::Binary, "\x01", 0};
const RegValue kAbsent{};

void write(platform::RegistryKey& key, std::string_view name, const RegValue& value) {
    switch (value.kind) {
        case RegValue::String:
            key.writeString(name, value.text);
            break;
        case RegValue::Integer:
            key.writeInteger(name, value.number);
            break;
        case RegValue::Binary:
            key.writeBinary(name, value.text);
            break;
        case RegValue::Absent:
            break;
    }
}

// One process-wide or instance setting that OpenService derives from a value.
enum class Setting { TimeoutMs, BaudRate, Conversion, PackageMode, Tracing, AutoZ };

void preset(Setting setting, int value) {
    auto& link = context().link;
    switch (setting) {
        case Setting::TimeoutMs:
            link.setDefaultTimeout(value);
            break;
        case Setting::BaudRate:
            context().baudRate = value;
            break;
        case Setting::Conversion:
            link.setConversionSetting(value != 0);
            break;
        case Setting::PackageMode:
            link.setPackageMode(value != 0);
            break;
        case Setting::Tracing:
        case Setting::AutoZ:
            break;
    }
}

int observe(Setting setting, const OpenedZirok& so) {
    const auto& link = context().link;
    switch (setting) {
        case Setting::TimeoutMs:
            return link.defaultTimeout();
        case Setting::BaudRate:
            return context().baudRate;
        case Setting::Conversion:
            return link.conversionSetting();
        case Setting::PackageMode:
            return link.packageMode();
        case Setting::Tracing:
            return so.tracing();
        case Setting::AutoZ:
            return so.autoZ_;
    }
    return -1;
}

TEST(OpenServiceSettings, EachValueIsTakenOnlyInTheFormItIsReadIn) {
    struct Case {
        const char* name;
        RegValue value;
        Setting setting;
        int before;
        int after;
    } cases[] = {
        {"Timeout", num(2), Setting::TimeoutMs, 5000, 5000},
        {"Timeout", num(3), Setting::TimeoutMs, 5000, 3000},
        {"Timeout", num(30), Setting::TimeoutMs, 5000, 30000},
        {"Timeout", num(31), Setting::TimeoutMs, 5000, 5000},
        {"Timeout", str("10"), Setting::TimeoutMs, 5000, 5000},
        {"BaudRate", str("abc"), Setting::BaudRate, 0, 57600},
        {"BaudRate", kAbsent, Setting::BaudRate, 0, 57600},
        {"BaudRate", str("19200"), Setting::BaudRate, 0, 19200},
        {"CodePage", str("1252"), Setting::Conversion, 0, 0},
        {"CodePage", str("1251"), Setting::Conversion, 0, 1},
        {"CodePage", str("866"), Setting::Conversion, 1, 0},
        {"PackageMode", num(0), Setting::PackageMode, 1, 0},
        {"PackageMode", str("0"), Setting::PackageMode, 1, 1},
        {"Debug", str("true"), Setting::Tracing, 0, 0},
        {"Debug", num(0), Setting::Tracing, 0, 0},
        {"Debug", str("1"), Setting::Tracing, 0, 1},
        {"Debug", kBinary, Setting::Tracing, 0, 1},
        {"Debug", kAbsent, Setting::Tracing, 0, 1},
        {"AutoZ", num(1), Setting::AutoZ, 0, 1},
        {"AutoZ", kAbsent, Setting::AutoZ, 0, 0},
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        auto key = home.deviceKey();
        write(key, c.name, c.value);
        preset(c.setting, c.before);
        OpenedZirok so;
        EXPECT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        EXPECT_EQ(observe(c.setting, so), c.after)
            << c.name << " kind " << c.value.kind << " '" << c.value.text << "' " << c.value.number;
    }
}

TEST(OpenServiceSettings, PortIsUpperCasedAndPaymentsAreLoaded) {
    testing::LifecycleHome home;
    auto key = home.deviceKey();
    key.writeInteger("Debug", 0);
    key.writeString("Port", "com3");
    auto pays = *platform::registry().createKey(
        platform::RegistryHive::LocalMachine,
        u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok\\Pays");
    pays.writeInteger(u"Наличные", 0);
    pays.writeString(u"Карта", u"1");  // not an integer: kept as a bare name
    pays.writeInteger(u"Безнал", 2);

    OpenedZirok so;
    ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
    EXPECT_EQ(so.port(), "COM3");
    EXPECT_EQ(so.paymentTypeMap_,
              (std::vector<std::string>{testing::cp1251(u"Наличные=0"), testing::cp1251(u"Карта"),
                                        testing::cp1251(u"Безнал=2")}));
}

TEST(OpenServiceSettings, AValueOfTheWrongTypeIsShownAndEndsTheReading) {
    struct Case {
        const char* name;
        RegValue value;
        const char16_t* message;
    } cases[] = {
        {"AutoZ", str("1"), u"Invalid data type for 'AutoZ'"},
        {"Port", num(3), u"Invalid data type for 'Port'"},
        {"CodePage", num(866), u"Invalid data type for 'CodePage'"},
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        auto key = home.deviceKey();
        key.writeInteger("Debug", 0);
        write(key, c.name, c.value);
        key.writeString("BaudRate", "19200");  // read after every one of them
        auto pays = *platform::registry().createKey(
            platform::RegistryHive::LocalMachine,
            u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok\\Pays");
        pays.writeInteger(u"Cash", 0);
        context().baudRate = 0;

        std::vector<std::u16string> shown;
        platform::ScopedMessageBoxHook hook(
            [&](std::u16string_view text, std::u16string_view, unsigned) {
                shown.emplace_back(text);
                return platform::kIdOk;
            });
        OpenedZirok so;
        EXPECT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0) << c.name;
        EXPECT_EQ(shown, std::vector<std::u16string>{c.message}) << c.name;
        EXPECT_EQ(context().baudRate, 0) << c.name;
        EXPECT_TRUE(so.paymentTypeMap_.empty()) << c.name;
    }
}

TEST(OpenServiceSettings, AMissingKeyFailsWith109) {
    testing::LifecycleHome home;
    home.deviceKey(u"Kassa");
    OpenedZirok so;
    EXPECT_EQ(so.OpenService(u"FiscalPrinter", u"Nowhere", nullptr), 109);
    EXPECT_EQ(so.props().number(pidx::ResultCode), 109);
    EXPECT_EQ(so.props().number(pidx::FptrErrorLevel), 3);
    EXPECT_EQ(so.props().string(pidx::CheckHealthText), u"Не найдено устройтво Nowhere в реестре");
    EXPECT_EQ(so.props().string(pidx::FptrErrorString), u"Не найдено устройтво Nowhere в реестре");
    EXPECT_FALSE(so.tracing());
}

TEST(OpenServiceSettings, TheCashDrawerReadsTheFiscalPrintersKey) {
    testing::LifecycleHome home;
    auto key = home.deviceKey(u"X");
    key.writeInteger("Debug", 0);
    key.writeString("Port", "COM4");
    OpenedZirok so;
    EXPECT_EQ(so.OpenService(u"CashDrawer", u"X", nullptr), 0);
    EXPECT_EQ(so.port(), "COM4");
    EXPECT_EQ(so.props().number(pidx::FreezeEvents), 1);  // no control object to hear events
}

TEST(OpenServiceTrace, TheDaysTraceFileHoldsTheOpeningAndTheClosing) {
    testing::LifecycleHome home;
    home.deviceKey().writeString("Debug", "1");
    {
        OpenedZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        EXPECT_EQ(context().currentLogger != nullptr, true);
        EXPECT_EQ(so.CloseService(), 0);
        EXPECT_FALSE(so.tracing());
        EXPECT_EQ(context().currentLogger, nullptr);
        so.logInfo("after closing");  // goes nowhere
    }
    EXPECT_EQ(home.traceFiles(),
              std::vector<std::string>{"OPOSZirok_" +
                                       platform::formatShortDate(platform::localNow()) + ".log"});
    EXPECT_EQ(home.traceLines(),
              (std::vector<std::string>{"OpenService Ok!", "Driver version: 3.9.3.14",
                                        "Begin CloseService"}));
}

TEST(OpenServiceTrace, ReopeningWithTracingOffEndsTheEarlierTrace) {
    testing::LifecycleHome home;
    auto key = home.deviceKey();
    key.writeString("Debug", "1");
    OpenedZirok so;
    ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
    key.writeString("Debug", "0");
    ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
    EXPECT_FALSE(so.tracing());
    EXPECT_EQ(context().currentLogger, nullptr);
    so.logInfo("while off");
    EXPECT_EQ(home.traceLinesStartingWith("while off").size(), 0u);
}

TEST(Events, ReachTheControlObjectOnlyWhenItAskedAndDidNotFreezeThem) {
    struct Case {
        const char16_t* deviceClass;
        bool withControl;
        int dataEventEnabled;
        int freeze;  // -1: COFreezeEvents(true); 0: COFreezeEvents(false); 1: as opened
        bool heard;
    } cases[] = {
        {u"FiscalPrinter", true, 1, 1, true},
        {u"FiscalPrinter", true, 0, 1, false},
        {u"FiscalPrinter", true, 1, -1, false},
        {u"FiscalPrinter", true, 1, 0, true},
        {u"FiscalPrinter", false, 1, 0, false},
        {u"CashDrawer", true, 1, 0, false},  // the drawer's control object is never called
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        home.deviceKey().writeInteger("Debug", 0);
        auto control = std::make_shared<testing::RecordingControl>();
        OpenedZirok so;
        so.OpenService(c.deviceClass, u"Zirok", c.withControl ? control : nullptr);
        so.props().setNumber(pidx::DataEventEnabled, c.dataEventEnabled);
        if (c.freeze <= 0) so.COFreezeEvents(c.freeze < 0);
        so.setPrinterState(9);
        so.sendStatusUpdate();
        so.sendError(114, 241, 2);
        const std::string what = testing::cp1251(c.deviceClass) + " control " +
                                 std::to_string(c.withControl) + " enabled " +
                                 std::to_string(c.dataEventEnabled) + " freeze " +
                                 std::to_string(c.freeze);
        if (!c.heard) {
            EXPECT_TRUE(control->calls.empty()) << what;
            continue;
        }
        ASSERT_EQ(control->calls.size(), 2u) << what;
        EXPECT_EQ(control->calls[0].id, 5);
        EXPECT_EQ(control->calls[0].numbers, std::vector<std::int32_t>{9});
        EXPECT_EQ(control->calls[1].id, 3);
        EXPECT_EQ(control->calls[1].numbers, (std::vector<std::int32_t>{114, 241, 2, 0}));
        EXPECT_TRUE(control->calls[1].lastByRef);
    }
}

TEST(Events, FreezeEventsHoldsTheBooleanAsAutomationPassesIt) {
    so::TSOZirok so;
    so.COFreezeEvents(true);
    EXPECT_EQ(so.props().number(pidx::FreezeEvents), -1);
    so.COFreezeEvents(false);
    EXPECT_EQ(so.props().number(pidx::FreezeEvents), 0);
}

}  // namespace
}  // namespace zirok
