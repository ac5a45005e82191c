#include "platform/ui_hooks.hpp"

#include <gtest/gtest.h>

namespace zirok::platform {
namespace {

TEST(UiHooks, WithoutAHostBoxesGoToStderrAndAreDeclined) {
    const struct {
        unsigned flags;
        int answer;
    } cases[] = {
        {mb::kOk | mb::kIconError, kIdOk},
        {mb::kOkCancel, kIdCancel},
        {mb::kYesNo | mb::kIconWarning | mb::kDefaultButton2 | mb::kSystemModal, kIdNo},
        {mb::kYesNoCancel | mb::kIconQuestion, kIdCancel},
        {mb::kRetryCancel, kIdCancel},
        {mb::kAbortRetryIgnore, kIdAbort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(messageBox(u"Вы уверены?", u"Внимание!", c.flags), c.answer);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Внимание!: Вы уверены?\n");
    }
    EXPECT_FALSE(choosePort(u"Dialog", u"Выберите порт:", {u"USB Serial Device (COM7)"}));
}

TEST(UiHooks, ScopedHooksAnswerAndThenStepBack) {
    {
        std::u16string seen;
        ScopedMessageBoxHook box(
            [&](std::u16string_view text, std::u16string_view caption, unsigned flags) {
                seen = std::u16string(caption) + u"|" + std::u16string(text) + u"|" +
                       (flags == mb::kYesNo ? u"yn" : u"?");
                return kIdYes;
            });
        ScopedChoosePortHook port(
            [](std::u16string_view, std::u16string_view,
               const std::vector<std::u16string>& entries) -> std::optional<std::u16string> {
                return entries.size() == 2 ? entries[1] : u"typed COM9)";
            });
        EXPECT_EQ(messageBox(u"Закрыть смену?", u"Внимание!", mb::kYesNo), kIdYes);
        EXPECT_EQ(seen, u"Внимание!|Закрыть смену?|yn");
        EXPECT_EQ(choosePort(u"Dialog", u"", {u"A (COM3)", u"B (COM4)"}), u"B (COM4)");
        EXPECT_EQ(choosePort(u"Dialog", u"", {}), u"typed COM9)");
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(messageBox(u"x", u"y", mb::kYesNo), kIdNo);
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(choosePort(u"Dialog", u"", {u"A (COM3)"}));
}

}  // namespace
}  // namespace zirok::platform
