// Self-registration against a scratch registry store: what a fresh
// registration writes, what a repeated one keeps and resets, and what
// removal takes away.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emulator_process.hpp"
#include "platform/registry.hpp"
#include "registration/com_class_keys.hpp"
#include "registration/server_registration.hpp"
#include "registration/zirok_identity.hpp"

namespace zirok::registration {
namespace {

using platform::RegistryData;
using platform::RegistryHive;
using platform::RegistryType;
namespace hresult = platform::hresult;

constexpr auto kMachine = RegistryHive::LocalMachine;
constexpr char16_t kServer[] = u"/opt/zirok/lib/libzirok.so";
constexpr char16_t kFiscalPrinter[] = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok";
constexpr char16_t kCashDrawer[] = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\Zirok";
constexpr char16_t kLineDisplay[] = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\LineDisplay\\Zirok";
constexpr char16_t kClassId[] = u"{9FB2EC68-3ACF-4E58-8A99-2078CE32879A}";

RegistryData text(std::u16string_view value) {
    RegistryData data{platform::kRegSz, {}};
    for (char16_t c : value) {
        data.bytes += static_cast<char>(c & 0xFF);
        data.bytes += static_cast<char>(c >> 8);
    }
    data.bytes.append(2, '\0');
    return data;
}

RegistryData integer(std::uint32_t value) {
    RegistryData data{platform::kRegDword, {}};
    for (int i = 0; i < 4; ++i) data.bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return data;
}

RegistryData binary(std::string bytes) {
    return {platform::kRegBinary, std::move(bytes)};
}

class Registration : public ::testing::Test {
  protected:
    platform::RegistryKey key(std::u16string_view path) {
        auto k = store_.openKey(kMachine, path, platform::RegistryAccess::ReadWrite);
        EXPECT_TRUE(k.has_value()) << std::string(path.begin(), path.end());
        return *k;
    }
    std::optional<RegistryData> value(std::u16string_view path, std::u16string_view name) {
        return key(path).readData(name);
    }

    testing::TempZirokHome home_;
    platform::RegistryStore store_ = platform::registry();
};

struct Expected {
    std::u16string name;
    RegistryData data;
};

TEST_F(Registration, FreshRegistrationWritesTheClassAndTheThreeDeviceKeys) {
    ASSERT_EQ(registerServer(kServer), hresult::kOk);

    // The path a host follows: ProgID -> class id -> server, with no threading model.
    EXPECT_EQ(classIdOfProgId(store_, u"Zirok.SOZirok"), kClassId);
    EXPECT_EQ(inprocServerPath(store_, kClassId), kServer);
    EXPECT_EQ(key(u"SOFTWARE\\Classes\\CLSID\\{9FB2EC68-3ACF-4E58-8A99-2078CE32879A}"
                  u"\\InprocServer32")
                  .valueNames(),
              std::vector<std::u16string>{u""});

    const std::vector<Expected> fiscalPrinter = {
        {u"", text(u"Zirok.SOZirok")},
        {u"Password", text(u"MNVK")},
        {u"Port", text(u"USB")},
        {u"Protocol", text(u"NONE")},
        {u"CodePage", text(u"1251")},
        {u"Debug", integer(1)},
        {u"Timeout", integer(5)},
        {u"BaudRate", text(u"57600")},
        {u"Description", text(u"Фискальный регистратор ZIROK")},
        {u"CharPerLine", text(u"40")},
        {u"Service", text(kServer)},
        {u"Version", text(u"3.9.3.14")},
        {u"Autosearch", text(u"0")},
        {u"QuantityDecimal", integer(1000)},
        {u"PackageMode", integer(1)},
    };
    const std::vector<Expected> otherDevice = {
        {u"", text(u"Zirok.SOZirok")},
        {u"Service", text(kServer)},
    };
    const std::pair<const char16_t*, const std::vector<Expected>*> devices[] = {
        {kFiscalPrinter, &fiscalPrinter},
        {kCashDrawer, &otherDevice},
        {kLineDisplay, &otherDevice},
    };
    for (const auto& [path, values] : devices) {
        std::vector<std::u16string> names;
        for (const Expected& e : *values) {
            names.push_back(e.name);
            EXPECT_EQ(value(path, e.name), e.data) << std::string(e.name.begin(), e.name.end());
        }
        EXPECT_EQ(key(path).valueNames(), names);
    }
}

TEST_F(Registration, RepeatedRegistrationKeepsUserValuesOfTheRightTypeAndResetsTheRest) {
    ASSERT_EQ(registerServer(kServer), hresult::kOk);
    const std::u16string pays = kFiscalPrinter + std::u16string(u"\\Pays");
    store_.createKey(kMachine, pays)->writeInteger(u"Наличные", 0);
    struct Case {
        std::u16string name;
        RegistryData user;
        RegistryData after;
    };
    const Case cases[] = {
        {u"Timeout", integer(10), integer(10)},
        {u"Timeout", text(u"10"), integer(5)},
        {u"Port", text(u"COM3"), text(u"COM3")},
        {u"Port", integer(3), text(u"USB")},
        {u"Debug", integer(0), integer(0)},
        {u"Description", binary("\x01\x02"), text(u"Фискальный регистратор ZIROK")},
        {u"Service", text(u"/usr/lib/other.so"), text(u"/usr/lib/other.so")},
        {u"", text(u"Other.Object"), text(u"Zirok.SOZirok")},
        {u"Version", text(u"1.0.0.0"), text(u"3.9.3.14")},
        {u"Autosearch", text(u"1"), text(u"0")},
        {u"Autosearch", integer(1), text(u"0")},
        {u"QuantityDecimal", integer(3), integer(1000)},
        {u"QuantityDecimal", text(u"3"), integer(1000)},
        {u"AutoZ", integer(1), integer(1)},  // not registration's: never touched
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        key(kFiscalPrinter).writeData(c.name, c.user);
        ASSERT_EQ(registerServer(kServer), hresult::kOk);
        EXPECT_EQ(value(kFiscalPrinter, c.name), c.after);
        EXPECT_EQ(value(pays, u"Наличные"), integer(0));
    }
    EXPECT_EQ(value(kCashDrawer, u""), text(u"Zirok.SOZirok"));
}

TEST_F(Registration, RemovalDeletesTheDeviceKeysWithTheirSubkeysAndTheClass) {
    ASSERT_EQ(registerServer(kServer), hresult::kOk);
    const std::u16string discounts = kFiscalPrinter + std::u16string(u"\\Discounts\\3");
    ASSERT_TRUE(store_.createKey(kMachine, discounts));

    EXPECT_EQ(unregisterServer(), hresult::kOk);
    for (const char16_t* path : {kFiscalPrinter, kCashDrawer, kLineDisplay}) {
        EXPECT_FALSE(store_.keyExists(kMachine, std::u16string_view(path)));
    }
    EXPECT_FALSE(store_.keyExists(kMachine, discounts));
    EXPECT_FALSE(classIdOfProgId(store_, u"Zirok.SOZirok"));
    EXPECT_FALSE(
        store_.keyExists(kMachine, u"SOFTWARE\\Classes\\CLSID\\" + std::u16string(kClassId)));
    EXPECT_FALSE(store_.keyExists(kMachine,
                                  u"SOFTWARE\\Classes\\TypeLib\\"
                                  u"{29A21E25-1A11-4199-8D79-1747C1BE03F5}"));

    // Nothing left to remove is no failure.
    EXPECT_EQ(unregisterServer(), hresult::kOk);
}

// A store that takes no writes must not be reported as registered, nor as
// cleanly removed.
TEST_F(Registration, AStoreThatCannotBeWrittenFailsBothWays) {
    ASSERT_EQ(registerServer(kServer), hresult::kOk);
    const std::filesystem::path lock =
        home_.path() + "/registry/" + platform::hiveName(kMachine) + ".reg.lock";
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);  // no writer can take the lock now

    EXPECT_EQ(unregisterServer(), hresult::kFail);
    EXPECT_TRUE(store_.keyExists(kMachine, std::u16string_view(kFiscalPrinter)));
    EXPECT_EQ(registerServer(kServer), hresult::kFail);
}

}  // namespace
}  // namespace zirok::registration
