// libzirok.so as an installer and a host meet it: loaded at run time, it
// registers itself under its own path, creates its class for either
// interface, and says when it may be unloaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "emulator_process.hpp"
#include "platform/library.hpp"
#include "platform/registry.hpp"
#include "registration/com_class_keys.hpp"
#include "service-object/posix/zirok_server.h"

namespace zirok::registration {
namespace {

namespace hresult = platform::hresult;
constexpr const char* kClassId = "{9FB2EC68-3ACF-4E58-8A99-2078CE32879A}";
constexpr std::int32_t kNoInterface = static_cast<std::int32_t>(0x80004002);

class ServerLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        library_ = platform::Library::load(path_, &error);
        ASSERT_TRUE(library_) << error;
    }
    template <class Fn>
    Fn entry(const char* name) {
        auto fn = library_->function<Fn>(name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    testing::TempZirokHome home_;
    const std::string path_ = testing::binaryFolder() + platform::libraryFileName("zirok");
    std::unique_ptr<platform::Library> library_;
};

TEST_F(ServerLibrary, RegistersUnderItsOwnPathAndUnregisters) {
    ASSERT_EQ(entry<DllRegisterServerFn>("DllRegisterServer")(), hresult::kOk);
    const std::string absolute = std::filesystem::absolute(path_).lexically_normal().string();
    const std::u16string own(absolute.begin(), absolute.end());  // the build folder is ASCII
    const auto store = platform::registry();
    const auto classId = classIdOfProgId(store, u"Zirok.SOZirok");
    ASSERT_TRUE(classId);
    EXPECT_EQ(inprocServerPath(store, *classId), own);
    auto device = store.openKey(platform::RegistryHive::LocalMachine,
                                "SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok");
    ASSERT_TRUE(device);
    EXPECT_EQ(device->readString(u"Service"), own);

    ASSERT_EQ(entry<DllUnregisterServerFn>("DllUnregisterServer")(), hresult::kOk);
    EXPECT_FALSE(classIdOfProgId(store, u"Zirok.SOZirok"));
}

TEST_F(ServerLibrary, CreatesItsClassForEitherInterfaceAndCountsLiveObjects) {
    auto create = entry<ZirokCreateInstanceFn>("ZirokCreateInstance");
    auto canUnload = entry<DllCanUnloadNowFn>("DllCanUnloadNow");
    ASSERT_TRUE(create && canUnload);
    EXPECT_EQ(canUnload(), hresult::kOk);

    struct Case {
        const char* classId;
        const char* interfaceId;
        std::int32_t hr;
        const char* memberOnlyThere;  // tells the two interfaces apart
    } cases[] = {
        {kClassId, "ISOZirok", hresult::kOk, "PrintRecItem"},
        {"9fb2ec68-3acf-4e58-8a99-2078ce32879a", "{8F82426B-F673-40A1-8617-AB3DE8AB73E4}",
         hresult::kOk, "PrintRecItem"},
        {kClassId, "{00020400-0000-0000-C000-000000000046}", hresult::kOk, "PrintRecItem"},
        {kClassId, "IDrawer", hresult::kOk, nullptr},
        {kClassId, "{D5F8F442-FB2F-4D02-9641-6FE0DC108FED}", hresult::kOk, nullptr},
        {kClassId, "ISO_Common", kNoInterface, nullptr},
        {"{95C4D100-65C0-4E4F-9C82-2D3C58C3BD20}", "ISOZirok", hresult::kClassNotRegistered,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.classId) + " " + c.interfaceId);
        std::shared_ptr<platform::Dispatch> object;
        ASSERT_EQ(create(c.classId, c.interfaceId, &object), c.hr);
        if (c.hr != hresult::kOk) {
            EXPECT_FALSE(object);
            continue;
        }
        ASSERT_TRUE(object);
        EXPECT_EQ(canUnload(), 1);  // S_FALSE: an object is alive
        EXPECT_TRUE(object->getIdsOfNames(u"OpenDrawer"));
        EXPECT_EQ(object->getIdsOfNames(u"PrintRecItem").has_value(), c.memberOnlyThere != nullptr);
        object.reset();
        EXPECT_EQ(canUnload(), hresult::kOk);
    }
}

}  // namespace
}  // namespace zirok::registration
